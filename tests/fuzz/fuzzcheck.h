#pragma once

#include <cstdio>
#include <cstdlib>

// A property every input must keep; a breach stops the fuzzer with a report.
inline void FuzzCheck(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

// Where FuzzTouch leaves its sum, so that its loads are not optimised away.
inline volatile unsigned gFuzzSink = 0;

// Reads every byte of a TBitmap, so that the sanitizers see a row that holds
// less than it should.
template <typename Bitmap>
void FuzzTouch(const Bitmap& bitmap) {
    const int rowBytes = bitmap.pixelFormat() == Bitmap::PixelFormat::Bits8    ? bitmap.width()
                         : bitmap.pixelFormat() == Bitmap::PixelFormat::Bits32 ? bitmap.width() * 4
                                                                               : bitmap.width() * 3;
    unsigned sum = 0;
    for (int y = 0; y < bitmap.height(); ++y) {
        const unsigned char* row = bitmap.scanLine(y);
        for (int i = 0; i < rowBytes; ++i) sum += row[i];
    }
    gFuzzSink = sum;
}
