#include "codec/decodebudget.h"

#include "codec/jpeglimits.h"

bool FitsDecodeBudget(int64_t width, int64_t height, int bytesPerPixel, std::string& reason) {
    // Each side below 2^31 keeps the product below 2^63 for any bytesPerPixel used.
    const bool fits = width > 0 && height > 0 && width < (int64_t{1} << 31) &&
                      height < (int64_t{1} << 31) &&
                      width * height <= kJpegMemoryBudget / bytesPerPixel;
    if (!fits) reason = OverBudgetReason(width, height);
    return fits;
}

int64_t DecodeBudgetBytes() {
    return kJpegMemoryBudget;
}
