#include "codec/gifdecoder.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <cstring>

#include "codec/decodebudget.h"
#include "image/bitmap.h"

bool IsGifStart(std::string_view head) {
    return head.substr(0, 6) == "GIF87a" || head.substr(0, 6) == "GIF89a";
}

bool CheckGifStart(const QByteArray& head, int64_t, std::string& reason) {
    if (IsGifStart(std::string_view(head.constData(), size_t(head.size())))) return true;
    reason = "not a GIF file";
    return false;
}

bool DecodeGif(const QByteArray& bytes, const DecodeOptions&, TBitmap& bitmap,
               std::string& reason) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "gif");
    const QSize size = reader.size();
    if (!size.isValid()) {
        reason = "GIF: " + reader.errorString().toStdString();
        return false;
    }
    // Qt's frame, its 32-bit copy, the bitmap.
    if (!FitsDecodeBudget(size.width(), size.height(), 12, reason)) return false;
    QImage frame;
    if (!reader.read(&frame)) {
        reason = "GIF: " + reader.errorString().toStdString();
        return false;
    }
    if (!frame.hasAlphaChannel()) {
        bitmap = TBitmap(std::move(frame));
        return true;
    }
    frame = frame.convertToFormat(QImage::Format_ARGB32);
    if (frame.isNull()) throw std::bad_alloc();
    bitmap = TBitmap(frame.width(), frame.height(), TBitmap::PixelFormat::Bits32);
    if (bitmap.isEmpty()) throw std::bad_alloc();
    // ARGB32 is B, G, R, A bytes on a little-endian machine, as the bitmap's.
    for (int y = 0; y < frame.height(); ++y)
        std::memcpy(bitmap.scanLine(y), frame.constScanLine(y), size_t(frame.width()) * 4);
    return true;
}
