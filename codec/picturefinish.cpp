#include "codec/picturefinish.h"

#include <memory>
#include <utility>
#include <vector>

#include "codec/srgbtransform.h"
#include "image/bitmap.h"
#include "image/orientation.h"

namespace {

// Rows of any pixel size through a transform of 1 or 3 bytes a pixel.
void ConvertRows(TBitmap& bitmap, const SrgbTransform& transform) {
    const int bytes = bitmap.pixelFormat() == TBitmap::PixelFormat::Bits32 ? 4 : 3;
    const bool gray = transform.input() == SrgbTransform::Input::Gray;
    const int width = bitmap.width();
    std::vector<unsigned char> in(size_t(width) * 3), out(size_t(width) * 3);
    for (int y = 0; y < bitmap.height(); ++y) {
        uchar* row = bitmap.scanLine(y);
        for (int x = 0; x < width; ++x) {
            if (gray) {
                in[size_t(x)] = row[x * bytes];
            } else {
                for (int c = 0; c < 3; ++c) in[size_t(x) * 3 + c] = row[x * bytes + c];
            }
        }
        transform.convertRow(in.data(), out.data(), width);
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c) row[x * bytes + c] = out[size_t(x) * 3 + c];
    }
}

void ConvertColours(TBitmap& bitmap, const QByteArray& profile, const DecodeOptions& options) {
    std::unique_ptr<SrgbTransform> transform =
        SrgbTransform::Make(profile, SrgbTransform::Input::Bgr);
    if (!transform) {
        // A gray picture decodes to equal channels; its profile is a gray one.
        transform = SrgbTransform::Make(profile, SrgbTransform::Input::Gray);
        if (transform) ConvertRows(bitmap, *transform);
        return;
    }
    if (options.thumbnailColours != nullptr &&
        bitmap.pixelFormat() == TBitmap::PixelFormat::Bits24) {
        *options.thumbnailColours = std::move(transform);
    } else if (bitmap.pixelFormat() == TBitmap::PixelFormat::Bits24) {
        transform->convert(bitmap);
    } else {
        ConvertRows(bitmap, *transform);
    }
}

}  // namespace

void FinishPicture(TBitmap& bitmap, const QByteArray& iccProfile, int orientation,
                   const DecodeOptions& options) {
    if (options.toSrgb && !iccProfile.isEmpty()) ConvertColours(bitmap, iccProfile, options);
    // Before scaling, so that the thumbnail is that of the upright picture.
    if (options.autoOrient) TurnUpright(bitmap, orientation);
}

void SwapRedAndBlue(TBitmap& bitmap) {
    const int bytes = bitmap.pixelFormat() == TBitmap::PixelFormat::Bits32 ? 4 : 3;
    for (int y = 0; y < bitmap.height(); ++y) {
        uchar* p = bitmap.scanLine(y);
        for (int x = 0; x < bitmap.width(); ++x, p += bytes) std::swap(p[0], p[2]);
    }
}
