#include "tests/support/imagecompare.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "image/bitmap.h"

namespace {
std::string Pixel(const uchar* p) {
    std::ostringstream s;
    s << int(p[0]) << ',' << int(p[1]) << ',' << int(p[2]);
    return s.str();
}
}  // namespace

::testing::AssertionResult SameBitmap(const TBitmap& actual, const TBitmap& expected) {
    if (actual.width() != expected.width() || actual.height() != expected.height()) {
        return ::testing::AssertionFailure()
               << "size " << actual.width() << 'x' << actual.height() << " vs " << expected.width()
               << 'x' << expected.height();
    }
    if (actual.pixelFormat() != TBitmap::PixelFormat::Bits24 ||
        expected.pixelFormat() != TBitmap::PixelFormat::Bits24) {
        return ::testing::AssertionFailure() << "not both 24-bit";
    }
    for (int y = 0; y < actual.height(); ++y) {
        const uchar* a = actual.scanLine(y);
        const uchar* e = expected.scanLine(y);
        for (int x = 0; x < actual.width(); ++x) {
            if (a[x * 3] != e[x * 3] || a[x * 3 + 1] != e[x * 3 + 1] ||
                a[x * 3 + 2] != e[x * 3 + 2]) {
                return ::testing::AssertionFailure()
                       << "differs at (" << x << ", " << y << "): " << Pixel(a + x * 3) << " vs "
                       << Pixel(e + x * 3);
            }
        }
    }
    return ::testing::AssertionSuccess();
}

int MaxDifference(const TBitmap& a, const TBitmap& b) {
    if (a.width() != b.width() || a.height() != b.height()) return 256;
    int worst = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int i = 0; i < a.width() * 3; ++i)
            worst = std::max(worst, std::abs(int(a.scanLine(y)[i]) - int(b.scanLine(y)[i])));
    }
    return worst;
}
