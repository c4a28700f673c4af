#include "codec/bmpwriter.h"

#include <QBuffer>
#include <QImageWriter>

#include "image/bitmap.h"

bool EncodeBmp(const TBitmap& bitmap, const EncodeOptions&, QByteArray& bytes,
               std::string& reason) {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "bmp");
    if (writer.write(bitmap.image())) return true;
    reason = writer.errorString().toStdString();
    return false;
}
