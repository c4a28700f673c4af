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
    const bool alpha = frame.hasAlphaChannel();
    // Qt's GIF frames are already one of these; then this copies nothing.
    frame = frame.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (frame.isNull()) throw std::bad_alloc();
    bitmap = TBitmap(frame.width(), frame.height(),
                     alpha ? TBitmap::PixelFormat::Bits32 : TBitmap::PixelFormat::Bits24);
    if (bitmap.isEmpty()) throw std::bad_alloc();
    // (A)RGB32 is B, G, R, A bytes on a little-endian machine, as the bitmap's;
    // one pass here, not Qt's conversion, which hands large pictures to threads.
    const int width = frame.width();
    for (int y = 0; y < frame.height(); ++y) {
        const uchar* in = frame.constScanLine(y);
        uchar* out = bitmap.scanLine(y);
        if (alpha) {
            std::memcpy(out, in, size_t(width) * 4);
            continue;
        }
        for (int x = 0; x < width; ++x, in += 4, out += 3) {
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
        }
    }
    return true;
}
