#include "image/orientation.h"

#include <algorithm>
#include <cstddef>
#include <utility>

#include "image/bitmap.h"

namespace {

// The stored pixel shown at upright (x, y) is
// (ax x + bx y + cx, ay x + by y + cy), c counted in sides: 1 = width - 1 for
// x, height - 1 for y.
struct Mapping {
    int ax, bx, cx, ay, by, cy;
};

constexpr Mapping kMappings[9] = {
    {1, 0, 0, 0, 1, 0},  {1, 0, 0, 0, 1, 0},    // 0 (unused), 1
    {-1, 0, 1, 0, 1, 0}, {-1, 0, 1, 0, -1, 1},  // 2 mirrored, 3 half turn
    {1, 0, 0, 0, -1, 1}, {0, 1, 0, 1, 0, 0},    // 4 flipped, 5 transposed
    {0, 1, 0, -1, 0, 1}, {0, -1, 1, -1, 0, 1},  // 6 quarter clockwise, 7 transverse
    {0, -1, 1, 1, 0, 0},                        // 8 quarter anticlockwise
};

}  // namespace

void TurnUpright(TBitmap& bitmap, int orientation) {
    if (orientation < 2 || orientation > 8 || bitmap.isEmpty()) return;
    const TBitmap& stored = bitmap;
    const int w = stored.width();
    const int h = stored.height();
    const Mapping& m = kMappings[orientation];
    const bool swapsSides = orientation >= 5;
    TBitmap upright(swapsSides ? h : w, swapsSides ? w : h, stored.pixelFormat());
    upright.setPalette(stored.palette());
    const std::ptrdiff_t bytes = stored.pixelFormat() == TBitmap::PixelFormat::Bits8    ? 1
                                 : stored.pixelFormat() == TBitmap::PixelFormat::Bits32 ? 4
                                                                                        : 3;
    // Rows are reached from row 0 by their distance, whichever way they lie.
    const uchar* origin = stored.scanLine(0);
    const std::ptrdiff_t stride = h > 1 ? stored.scanLine(1) - origin : 0;
    const std::ptrdiff_t step = m.ax * bytes + m.ay * stride;
    // In tiles, so that quarter turns, which read the stored picture down its
    // columns, keep the rows they touch in the cache.
    constexpr int kTile = 64;
    const int width = upright.width();
    for (int top = 0; top < upright.height(); top += kTile) {
        const int bottom = std::min(top + kTile, upright.height());
        for (int left = 0; left < width; left += kTile) {
            const int right = std::min(left + kTile, width);
            for (int y = top; y < bottom; ++y) {
                const std::ptrdiff_t sx = m.bx * y + m.cx * (w - 1);
                const std::ptrdiff_t sy = m.by * y + m.cy * (h - 1);
                const uchar* in = origin + sx * bytes + sy * stride + left * step;
                uchar* out = upright.scanLine(y) + left * bytes;
                for (int x = left; x < right; ++x, in += step, out += bytes) {
                    for (std::ptrdiff_t i = 0; i < bytes; ++i) out[i] = in[i];
                }
            }
        }
    }
    bitmap = std::move(upright);
}
