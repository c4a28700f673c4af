// libFuzzer target: the JPEG path of a conversion on any bytes: the header,
// the decode at every scale, the resampler and the encoder.

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "codec/jpegimage.h"
#include "conversion/resampler.h"
#include "image/bitmap.h"
#include "tests/fuzz/fuzzcheck.h"

namespace {

// Decoding a picture of many megapixels is allowed (up to 100 scans of it at
// any scale, each one a walk over every block), but it is slow work that finds
// nothing new: such inputs stop at the header.
constexpr int64_t kMaxFuzzPixels = int64_t{1} << 20;

void Convert(const QByteArray& bytes, int scale) {
    TJPEGImage jpeg;
    jpeg.SetOutputDepth(scale == 3 ? JpegOutputDepth::Depth8 : JpegOutputDepth::Depth24);
    jpeg.SetDecodeMode(scale % 2 == 0 ? JpegDecodeMode::QualityFirst : JpegDecodeMode::SpeedFirst);
    jpeg.LoadFromBytes(bytes);
    if (int64_t{jpeg.Width()} * jpeg.Height() > kMaxFuzzPixels) return;  // at full size
    jpeg.SetDecodeScale(JpegDecodeScale(scale));
    TBitmap decoded;
    jpeg.AssignTo(decoded);
    decoded.setPixelFormat(TBitmap::PixelFormat::Bits24);
    if (decoded.isEmpty()) return;
    FuzzTouch(decoded);

    TBitmap thumbnail;
    ScaleToThumbnail(thumbnail, decoded, 32);
    FuzzCheck(std::max(thumbnail.width(), thumbnail.height()) == 32, "thumbnail side not 32");

    TJPEGImage encoder;
    encoder.Assign(thumbnail);
    encoder.SetEncodeQuality(60);
    encoder.SetProgressiveWrite(scale % 2 == 1);
    FuzzCheck(!encoder.SaveToBytes().isEmpty(), "encoded nothing");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    for (int scale = 0; scale < 4; ++scale) {
        try {
            Convert(bytes, scale);
        } catch (const EJPEG&) {
            // Refused: what every damaged file may get.
        }
    }
    return 0;
}
