#include "preview/replicatepixels.h"

#include <cstring>

#include "image/bitmap.h"

QImage ReplicatePixels(const TBitmap& bitmap, int factor) {
    if (bitmap.isEmpty() || factor < 1) return QImage();
    TBitmap source = bitmap;
    source.setPixelFormat(TBitmap::PixelFormat::Bits24);
    const int width = source.width();
    QImage zoomed(width * factor, source.height() * factor, QImage::Format_BGR888);
    if (zoomed.isNull()) return QImage();
    for (int y = 0; y < source.height(); ++y) {
        const uchar* from = source.scanLine(y);
        uchar* first = zoomed.scanLine(y * factor);
        for (int x = 0; x < width; ++x)
            for (int k = 0; k < factor; ++k)
                std::memcpy(first + (x * factor + k) * 3, from + x * 3, 3);
        for (int k = 1; k < factor; ++k)
            std::memcpy(zoomed.scanLine(y * factor + k), first, size_t(width) * factor * 3);
    }
    return zoomed;
}
