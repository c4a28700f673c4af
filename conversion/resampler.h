#pragma once

#include <cstdint>
#include <functional>

class TBitmap;

// Told after each destination pixel (x, y) of a width x height thumbnail is
// written: the one thing the resampler reports outside itself.
using PixelDone = std::function<void(int x, int y, int width, int height)>;

// Size and placement of a thumbnail for a Ws x Hs source at the given bound.
struct ThumbnailGeometry {
    int width = 0;
    int height = 0;
    double step = 0;  // side of one destination cell in source pixels
    double offX = 0;  // source position of cell (0, 0)
    double offY = 0;
};

ThumbnailGeometry ComputeThumbnailGeometry(int sourceWidth, int sourceHeight, int size);

// Samples per axis of one cell: 10 below a step of 10, else trunc(step + 0.99)
// with the sum kept exact.
int SamplesPerAxis(double step);

// The colour (red | green << 8 | blue << 16) of one cell with its top-left
// corner at (left, top) and side step, averaged over n x n point samples.
uint32_t AverageCell(const TBitmap& source, double step, double top, double left);

// What becomes of a 32-bit source's transparency.
struct AlphaChoice {
    // Keep it: dest is 32-bit, each cell's alpha the mean of its samples'
    // and its colour their alpha-weighted mean (premultiplied averaging).
    bool keep = false;
    // Else every pixel is laid on this colour (red << 16 | green << 8 | blue)
    // before the averaging.
    uint32_t background = 0xffffff;
};

// Scales a source so that its longer side is `size`, writing every pixel of
// dest (24-bit) exactly as AverageCell would, and calls pixelDone (when set)
// after each pixel. A 32-bit source is treated as alpha says.
void ScaleToThumbnail(TBitmap& dest, const TBitmap& source, int size,
                      const PixelDone& pixelDone = nullptr, const AlphaChoice& alpha = {});
