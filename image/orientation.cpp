#include "image/orientation.h"

#include <cstring>
#include <utility>

#include "image/bitmap.h"

void TurnUpright(TBitmap& bitmap, int orientation) {
    if (orientation < 2 || orientation > 8 || bitmap.isEmpty()) return;
    const TBitmap& stored = bitmap;
    const int w = bitmap.width();
    const int h = bitmap.height();
    const bool swapsSides = orientation >= 5;
    TBitmap upright(swapsSides ? h : w, swapsSides ? w : h, bitmap.pixelFormat());
    upright.setPalette(bitmap.palette());
    const int bytes = bitmap.pixelFormat() == TBitmap::PixelFormat::Bits8 ? 1 : 3;
    for (int y = 0; y < upright.height(); ++y) {
        uchar* out = upright.scanLine(y);
        for (int x = 0; x < upright.width(); ++x, out += bytes) {
            // The stored pixel that shows at (x, y) once upright.
            int sx = x;
            int sy = y;
            switch (orientation) {
                case 2:
                    sx = w - 1 - x;
                    break;
                case 3:
                    sx = w - 1 - x;
                    sy = h - 1 - y;
                    break;
                case 4:
                    sy = h - 1 - y;
                    break;
                case 5:
                    sx = y;
                    sy = x;
                    break;
                case 6:
                    sx = y;
                    sy = h - 1 - x;
                    break;
                case 7:
                    sx = w - 1 - y;
                    sy = h - 1 - x;
                    break;
                case 8:
                    sx = w - 1 - y;
                    sy = x;
                    break;
            }
            std::memcpy(out, stored.scanLine(sy) + sx * bytes, std::size_t(bytes));
        }
    }
    bitmap = std::move(upright);
}
