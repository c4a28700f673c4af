// Camera RAW files: the embedded JPEG preview, its orientation, and refusals.

#include <gtest/gtest.h>

#include "codec/pictureformat.h"
#include "image/orientation.h"
#include "tests/codec/codectestutil.h"
#include "tests/support/dngpicture.h"
#include "tests/support/imagecompare.h"
#include "tests/support/phototags.h"

namespace {

const PictureFormat& RawFormat() {
    return *FormatOfExtension(".dng");
}

DngRecipe WithPreview(const QByteArray& jpeg) {
    DngRecipe recipe;
    recipe.jpegPreview = jpeg;
    recipe.previewWidth = 64;
    recipe.previewHeight = 48;
    return recipe;
}

TBitmap Decoded(const PictureFormat& format, const QByteArray& bytes, bool autoOrient = false) {
    DecodeOptions options;
    options.autoOrient = autoOrient;
    TBitmap bitmap;
    std::string reason;
    EXPECT_TRUE(DecodePicture(format, bytes, options, bitmap, reason)) << reason;
    return bitmap;
}

}  // namespace

TEST(RawDecode, TheEmbeddedJpegPreviewDecodesAsThatJpeg) {
    const QByteArray preview = EncodeJpeg(Quadrants(64, 48), 90);
    const QByteArray dng = MakeDng(WithPreview(preview));
    ASSERT_FALSE(dng.isEmpty());
    EXPECT_EQ(FormatOfContent(std::string_view(dng.constData(), size_t(dng.size())))->name, "RAW");
    const TBitmap fromRaw = Decoded(RawFormat(), dng);
    EXPECT_TRUE(SameBitmap(fromRaw, Decoded(JpegFormat(), preview)));
    EXPECT_TRUE(CloseColours(QuadrantColour(fromRaw, 0), qRgb(230, 30, 30), 6));
}

TEST(RawDecode, UprightByThePreviewsExifElseByTheRawsOrientation) {
    const struct Case {
        int rawOrientation;
        int exifOrientation;  // 0: the preview has no EXIF block
        bool autoOrient;
        int expected;  // the turn applied to the stored preview
    } cases[] = {
        {6, 0, true, 6},  {8, 0, true, 8}, {3, 0, true, 3}, {2, 0, true, 2},
        {6, 0, false, 1}, {1, 3, true, 3}, {8, 3, true, 3}, {1, 0, true, 1},
    };
    const TBitmap stored = Quadrants(64, 48);
    const QByteArray plain = EncodeJpeg(stored, 90);
    for (const Case& c : cases) {
        const QByteArray preview =
            c.exifOrientation == 0 ? plain : WithSegment(plain, 0xE1, ExifBody(c.exifOrientation));
        DngRecipe recipe = WithPreview(preview);
        recipe.orientation = c.rawOrientation;
        TBitmap expected = Decoded(JpegFormat(), plain);
        TurnUpright(expected, c.expected);
        EXPECT_TRUE(SameBitmap(Decoded(RawFormat(), MakeDng(recipe), c.autoOrient), expected))
            << c.rawOrientation << " " << c.exifOrientation << " " << c.autoOrient;
    }
}

TEST(RawDecode, RefusesFilesWithoutAJpegPreviewWithAReason) {
    const QByteArray jpeg = EncodeJpeg(Quadrants(64, 48), 90);
    DngRecipe bitmapPreview = WithPreview({});
    bitmapPreview.bitmapPreview = true;
    const struct Case {
        const char* what;
        QByteArray bytes;
        std::string reason;  // the reason's start
    } cases[] = {
        {"no preview", MakeDng({}), "the RAW file holds no preview picture"},
        {"bitmap preview", MakeDng(bitmapPreview), "the RAW file's preview is not a JPEG picture"},
        // LibRaw reads a DNG's JPEG strip itself, and takes a damaged one for none.
        {"damaged preview", MakeDng(WithPreview(jpeg.left(200))),
         "the RAW file's preview is not a JPEG picture"},
        {"not a RAW file", QByteArray("II*\0\x08\0\0\0garbage", 15),
         "not a readable camera RAW file: "},
        {"empty", QByteArray(), "not a readable camera RAW file: "},
    };
    for (const Case& c : cases) {
        TBitmap bitmap;
        std::string reason;
        EXPECT_FALSE(DecodePicture(RawFormat(), c.bytes, {}, bitmap, reason)) << c.what;
        EXPECT_EQ(reason.substr(0, c.reason.size()), c.reason) << c.what << ": " << reason;
    }
}
