#include "codec/jpegpicture.h"

#include <algorithm>
#include <cstdio>

#include "codec/jpegcomment.h"
#include "codec/jpegimage.h"
#include "codec/srgbtransform.h"
#include "image/bitmap.h"
#include "image/orientation.h"

namespace {

// The reduction that keeps the longer side of a decoded picture near or below 2000.
JpegDecodeScale ScaleForSide(int longer) {
    if (longer >= 8000) return JpegDecodeScale::ScaleEighth;
    if (longer >= 4000) return JpegDecodeScale::ScaleQuarter;
    if (longer >= 2000) return JpegDecodeScale::ScaleHalf;
    return JpegDecodeScale::ScaleFull;
}

// The smallest reduction whose longer side (rounded up, as the library does)
// is still at least twice the thumbnail's.
JpegDecodeScale DraftScale(int longer, int thumbnailSize) {
    for (const JpegDecodeScale scale : {JpegDecodeScale::ScaleEighth, JpegDecodeScale::ScaleQuarter,
                                        JpegDecodeScale::ScaleHalf}) {
        const int divisor = 1 << static_cast<int>(scale);
        if ((longer + divisor - 1) / divisor >= 2 * thumbnailSize) return scale;
    }
    return JpegDecodeScale::ScaleFull;
}

// Both loading and writing give a JPEG object these: 24-bit output,
// "Best Quality" and "Smoothing".
void ApplyDecodeSettings(TJPEGImage& jpeg, bool bestQuality, bool smoothing) {
    jpeg.SetOutputDepth(JpegOutputDepth::Depth24);
    jpeg.SetDecodeMode(bestQuality ? JpegDecodeMode::QualityFirst : JpegDecodeMode::SpeedFirst);
    jpeg.SetBlockSmoothing(smoothing);
}

}  // namespace

bool IsJpegStart(std::string_view head) {
    return head.size() >= 3 && head.substr(0, 3) == "\xFF\xD8\xFF";
}

bool CheckJpegStart(const QByteArray& head, int64_t, std::string& reason) {
    if (head.startsWith("\xFF\xD8")) return true;
    // In the library's own words, as a decode would have refused it.
    char text[64];
    std::snprintf(text, sizeof text, "Not a JPEG file: starts with 0x%02x 0x%02x",
                  head.size() > 0 ? uchar(head[0]) : 0, head.size() > 1 ? uchar(head[1]) : 0);
    reason = text;
    return false;
}

// Codec failures throw; DecodePicture turns them into a refusal.
bool DecodeJpegPicture(const QByteArray& bytes, const DecodeOptions& options, TBitmap& bitmap,
                       std::string&) {
    TJPEGImage jpeg;
    ApplyDecodeSettings(jpeg, options.bestQuality, options.smoothing);
    jpeg.LoadFromBytes(bytes);
    // Gray pictures convert their palette and CMYK ones their samples as they
    // decode, both as cheap as it gets; RGB ones can wait for the thumbnail.
    const bool later =
        options.toSrgb && options.thumbnailColours != nullptr && !jpeg.Grayscale() && !jpeg.Cmyk();
    if (later)
        *options.thumbnailColours =
            SrgbTransform::Make(jpeg.IccProfile(), SrgbTransform::Input::Bgr);
    jpeg.SetSrgbOutput(options.toSrgb && !later);
    const int longer = std::max(jpeg.Height(), jpeg.Width());
    const JpegDecodeScale scale =
        options.draft ? DraftScale(longer, options.thumbnailSize) : ScaleForSide(longer);
    if (scale != JpegDecodeScale::ScaleFull) {
        // Loaded again, so that the header is read for the chosen scale.
        jpeg.SetDecodeScale(scale);
        jpeg.LoadFromBytes(bytes);
    }
    jpeg.AssignTo(bitmap);
    // Grayscale files decode to 8 bits with a gray palette.
    bitmap.setPixelFormat(TBitmap::PixelFormat::Bits24);
    // Before scaling, so that the thumbnail is that of the upright picture.
    if (options.autoOrient) TurnUpright(bitmap, jpeg.Orientation());
    return true;
}

bool EncodeJpegPicture(const TBitmap& bitmap, const EncodeOptions& options, QByteArray& bytes,
                       std::string&) {
    TJPEGImage jpeg;
    // The decode settings go in before the bitmap: changing one drops it.
    ApplyDecodeSettings(jpeg, options.bestQuality, options.smoothing);
    jpeg.Assign(bitmap);
    jpeg.SetEncodeQuality(options.quality);
    jpeg.SetProgressiveWrite(options.progressive);
    jpeg.SetOptimizeCoding(options.optimizeCoding);
    bytes = jpeg.SaveToBytes();
    if (!options.comment.empty()) bytes = WithJpegComment(bytes, options.comment);
    return true;
}
