#pragma once

#include <cstdint>
#include <vector>

class TBitmap;

// A bitmap's pixels as the C libraries take them: rows without padding, red
// first. A 32-bit bitmap gives red, green, blue, alpha (alpha kept straight);
// any other gives red, green, blue.
struct PackedPixels {
    std::vector<uint8_t> bytes;
    int width = 0;
    int height = 0;
    bool alpha = false;
    int channels() const { return alpha ? 4 : 3; }
    int stride() const { return width * channels(); }
};

PackedPixels PackPixels(const TBitmap& bitmap);
