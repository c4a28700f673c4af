// JPEG XL files: libjxl's own orientation, gray and wide samples, a lossy
// picture's profile (lossless pixels, alpha, refusals: newformats_test).

#include <gtest/gtest.h>

#include "codec/pictureformat.h"
#include "image/orientation.h"
#include "tests/codec/codectestutil.h"
#include "tests/support/jxlpictures.h"
#include "tests/support/phototags.h"

namespace {

TBitmap Decoded(const QByteArray& bytes, const DecodeOptions& options = {}) {
    const PictureFormat* format =
        FormatOfContent(std::string_view(bytes.constData(), size_t(bytes.size())));
    TBitmap bitmap;
    std::string reason;
    if (format == nullptr || format->name != "JPEG XL") {
        ADD_FAILURE() << "not taken for a JPEG XL file";
        return bitmap;
    }
    EXPECT_TRUE(DecodePicture(*format, bytes, options, bitmap, reason)) << reason;
    return bitmap;
}

}  // namespace

TEST(JxlDecode, TurnedByItsOwnOrientationAndNeverAgainByExif) {
    const TBitmap picture = Quadrants(16, 10);
    const struct {
        int orientation, exif;  // the codestream's, the Exif box's (0: none, bare codestream)
    } rows[] = {{1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {7, 0}, {8, 0}, {1, 6}, {3, 6}};
    for (const auto& r : rows) {
        JxlRecipe recipe;
        recipe.orientation = r.orientation;
        recipe.exifOrientation = r.exif;
        const QByteArray bytes = EncodeJxl(picture, recipe);
        TBitmap upright = picture;
        TurnUpright(upright, r.orientation);
        for (const bool autoOrient : {false, true}) {
            DecodeOptions options;
            options.autoOrient = autoOrient;
            EXPECT_TRUE(SameBitmap(Decoded(bytes, options), upright))
                << r.orientation << " exif " << r.exif << " " << autoOrient;
        }
    }
}

TEST(JxlDecode, GrayComesOutAsThreeEqualChannelsAtEightBits) {
    const TBitmap picture = Quadrants(16, 10);
    TBitmap expected = picture;
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x) {
            uchar* p = expected.scanLine(y) + x * 3;
            p[0] = p[2] = p[1];
        }
    for (const bool wide : {false, true}) {
        JxlRecipe recipe;
        recipe.gray = true;
        recipe.wide = wide;
        const TBitmap decoded = Decoded(EncodeJxl(picture, recipe));
        EXPECT_EQ(decoded.pixelFormat(), TBitmap::PixelFormat::Bits24) << wide;
        EXPECT_TRUE(SameBitmap(decoded, expected)) << wide;
    }
}

// A lossy picture with an ICC profile is rendered to sRGB by libjxl: in
// linear sRGB, which it would choose, 8 bits lose the shadows' steps.
TEST(JxlDecode, LossyPictureWithAProfileKeepsItsShadows) {
    const TBitmap ramp = PositionCoded(64, 16, [](int x, int) { return x / 2; });
    const QByteArray adobe = AdobeRgbProfile();
    JxlRecipe recipe;
    recipe.lossless = false;
    recipe.distance = 0.3f;
    recipe.profile = adobe;
    const QByteArray bytes = EncodeJxl(FromSrgb(ramp, adobe), recipe);
    for (const bool toSrgb : {false, true}) {
        DecodeOptions options;
        options.toSrgb = toSrgb;
        EXPECT_LE(MaxDifference(Decoded(bytes, options), ramp), 2) << toSrgb;
    }
}
