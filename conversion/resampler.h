#pragma once

#include <cstdint>

class TBitmap;

// What the resampler reaches outside itself: the queue length that divides the
// progress value, the progress bar and the message pump. The window supplies
// live ones; headless callers supply their own.
class ScaleHooks {
public:
    virtual ~ScaleHooks() = default;
    virtual int queueLength() = 0;
    virtual void setProgress(int position) = 0;
    virtual void pump() = 0;
};

// A caller without a bar or an event loop.
class SilentScaleHooks final : public ScaleHooks {
public:
    int queueLength() override { return 1; }
    void setProgress(int) override {}
    void pump() override {}
};

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

// Bar position after destination pixel (x, y); -1 when the queue is empty and
// the bar must not move.
int ProgressPosition(int fileIndex, int x, int y, int destWidth, int destHeight, int queueLength);

// The colour (red | green << 8 | blue << 16) of one cell with its top-left
// corner at (left, top) and side step, averaged over n x n point samples.
uint32_t AverageCell(const TBitmap& source, double step, double top, double left);

// Scales a 24-bit source so that its longer side is `size`, writing every pixel
// of dest (24-bit) exactly as AverageCell would, with a progress update and a
// pump after each pixel.
void ScaleToThumbnail(TBitmap& dest, const TBitmap& source, int fileIndex, int size,
                      ScaleHooks& hooks);
