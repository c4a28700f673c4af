#pragma once

#include <gtest/gtest.h>

class TBitmap;

// Compares two 24-bit bitmaps and names the first differing pixel, e.g.
// "differs at (12, 7): 28,28,28 vs 29,28,28" (blue, green, red).
::testing::AssertionResult SameBitmap(const TBitmap& actual, const TBitmap& expected);

// The largest difference of any byte between two 24-bit bitmaps, 256 when
// their sizes differ.
int MaxDifference(const TBitmap& a, const TBitmap& b);

// A 24-bit bitmap whose every channel of pixel (x, y) is f(x, y).
template <typename F>
TBitmap PositionCoded(int width, int height, F f);

#include "image/bitmap.h"

template <typename F>
TBitmap PositionCoded(int width, int height, F f) {
    TBitmap bitmap(width, height);
    for (int y = 0; y < height; ++y) {
        uchar* row = bitmap.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const auto v = static_cast<uchar>(f(x, y));
            row[x * 3] = row[x * 3 + 1] = row[x * 3 + 2] = v;
        }
    }
    return bitmap;
}
