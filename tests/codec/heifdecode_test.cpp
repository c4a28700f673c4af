// HEIF and AVIF files: colours, libheif's own orientation, alpha, profiles,
// the embedded thumbnail under draft, and refusals.

#include <gtest/gtest.h>

#include "codec/heifdecoder.h"
#include "codec/pictureformat.h"
#include "codec/srgbtransform.h"
#include "image/orientation.h"
#include "tests/codec/codectestutil.h"
#include "tests/support/heifpictures.h"
#include "tests/support/phototags.h"

namespace {

// Flat quadrants come back within this after the lossy codecs' 4:2:0 round trip.
constexpr int kLossyTolerance = 8;

const PictureFormat& Format(bool av1) {
    return *FormatOfExtension(av1 ? ".avif" : ".heic");
}

TBitmap Decoded(const QByteArray& bytes, const DecodeOptions& options = {}) {
    TBitmap bitmap;
    std::string reason;
    EXPECT_TRUE(DecodePicture(Format(false), bytes, options, bitmap, reason)) << reason;
    return bitmap;
}

// Whether each quadrant of actual has the colour of that quadrant of expected.
::testing::AssertionResult SameQuadrants(const TBitmap& actual, const TBitmap& expected) {
    if (actual.width() != expected.width() || actual.height() != expected.height())
        return ::testing::AssertionFailure() << actual.width() << " x " << actual.height() << " vs "
                                             << expected.width() << " x " << expected.height();
    for (int q = 0; q < 4; ++q) {
        const QRgb a = QuadrantColour(actual, q), e = QuadrantColour(expected, q);
        if (!CloseColours(a, e, kLossyTolerance))
            return ::testing::AssertionFailure()
                   << "quadrant " << q << ": " << std::hex << a << " vs " << e;
    }
    return ::testing::AssertionSuccess();
}

std::string_view Head(const QByteArray& bytes) {
    return {bytes.constData(), size_t(std::min<qsizetype>(bytes.size(), 64))};
}

}  // namespace

TEST(HeifDecode, HeicAndAvifDecodeToTheirPicture) {
    const TBitmap picture = Quadrants(64, 48);
    for (const bool av1 : {false, true}) {
        HeifRecipe recipe;
        recipe.av1 = av1;
        const QByteArray bytes = EncodeHeif(picture, recipe);
        const PictureFormat* format = FormatOfContent(Head(bytes));
        ASSERT_NE(format, nullptr) << av1;
        EXPECT_EQ(format->name, av1 ? "AVIF" : "HEIF");
        const TBitmap decoded = Decoded(bytes);
        EXPECT_EQ(decoded.pixelFormat(), TBitmap::PixelFormat::Bits24);
        EXPECT_TRUE(SameQuadrants(decoded, picture)) << av1;
    }
}

TEST(HeifDecode, TurnedByItsOwnBoxesAndNeverAgainByExif) {
    const TBitmap picture = Quadrants(64, 48);
    for (const int orientation : {2, 3, 4, 5, 6, 7, 8}) {
        HeifRecipe recipe;
        recipe.orientation = orientation;
        const QByteArray bytes = EncodeHeif(picture, recipe);
        TBitmap upright = picture;
        TurnUpright(upright, orientation);
        for (const bool autoOrient : {false, true}) {
            DecodeOptions options;
            options.autoOrient = autoOrient;
            EXPECT_TRUE(SameQuadrants(Decoded(bytes, options), upright))
                << orientation << " " << autoOrient;
        }
    }
}

TEST(HeifDecode, AlphaKeptAsStraightAlphaAndLaidOnWhite) {
    const TBitmap picture = Quadrants(64, 48, true);
    for (const bool av1 : {false, true}) {
        HeifRecipe recipe;
        recipe.av1 = av1;
        TBitmap decoded;
        std::string reason;
        ASSERT_TRUE(DecodePicture(Format(av1), EncodeHeif(picture, recipe), {}, decoded, reason))
            << reason;
        ASSERT_EQ(decoded.pixelFormat(), TBitmap::PixelFormat::Bits32);
        // The clear quadrant's colour is what the encoder made of it; compare
        // the other three, and every alpha.
        for (const int q : {0, 1, 3})
            EXPECT_TRUE(CloseColours(QuadrantColour(decoded, q), QuadrantColour(picture, q),
                                     kLossyTolerance))
                << av1 << " " << q;
        EXPECT_LE(qAlpha(QuadrantColour(decoded, 2)), 2) << av1;
        decoded.setPixelFormat(TBitmap::PixelFormat::Bits24);
        EXPECT_TRUE(CloseColours(QuadrantColour(decoded, 2), qRgb(255, 255, 255), 2)) << av1;
        // Half green over white.
        EXPECT_TRUE(CloseColours(QuadrantColour(decoded, 1), qRgb(142, 227, 147), kLossyTolerance))
            << av1 << " " << std::hex << QuadrantColour(decoded, 1);
    }
}

TEST(HeifDecode, IccColoursBecomeSrgbOnRequest) {
    const TBitmap picture = Quadrants(64, 48);
    const QByteArray adobe = AdobeRgbProfile();
    HeifRecipe recipe;
    recipe.profile = adobe;
    const QByteArray bytes = EncodeHeif(FromSrgb(picture, adobe), recipe);
    const struct Case {
        bool toSrgb;
        bool handOver;         // the caller takes the transform
        bool expectConverted;  // the bitmap itself is in sRGB
    } cases[] = {{false, false, false}, {true, false, true}, {true, true, false}};
    for (const Case& c : cases) {
        std::unique_ptr<SrgbTransform> handed;
        DecodeOptions options;
        options.toSrgb = c.toSrgb;
        options.thumbnailColours = c.handOver ? &handed : nullptr;
        const TBitmap decoded = Decoded(bytes, options);
        EXPECT_TRUE(SameQuadrants(decoded, c.expectConverted ? picture : FromSrgb(picture, adobe)))
            << c.toSrgb << c.handOver;
        EXPECT_EQ(handed != nullptr, c.handOver) << c.toSrgb << c.handOver;
    }
}

TEST(HeifDecode, DraftTakesTheEmbeddedThumbnailWhenTwiceTheSize) {
    const TBitmap picture = Quadrants(256, 192);
    // Not the picture scaled down, so that one tells which was decoded.
    TBitmap green(256, 192);
    for (int y = 0; y < 192; ++y)
        for (int x = 0; x < 256; ++x) {
            uchar* p = green.scanLine(y) + x * 3;
            p[0] = 20, p[1] = 200, p[2] = 20;
        }
    HeifRecipe recipe;
    recipe.thumbnail = &green;
    recipe.thumbnailSide = 128;
    const QByteArray bytes = EncodeHeif(picture, recipe);
    const struct Case {
        bool draft;
        int thumbnailSize;
        bool expectThumbnail;
    } cases[] = {{true, 32, true}, {true, 64, true}, {true, 65, false}, {false, 32, false}};
    for (const Case& c : cases) {
        DecodeOptions options;
        options.draft = c.draft;
        options.thumbnailSize = c.thumbnailSize;
        const TBitmap decoded = Decoded(bytes, options);
        EXPECT_EQ(decoded.width(), c.expectThumbnail ? 128 : 256) << c.draft << c.thumbnailSize;
        EXPECT_TRUE(CloseColours(QuadrantColour(decoded, 0),
                                 c.expectThumbnail ? qRgb(20, 200, 20) : qRgb(230, 30, 30),
                                 kLossyTolerance))
            << c.draft << c.thumbnailSize;
    }
}

TEST(HeifDecode, RefusesDamagedAndOversizedFilesWithAReason) {
    const QByteArray good = EncodeHeif(Quadrants(64, 48));
    // Every spatial extent property (the coded tile's and the shown grid's)
    // claiming another size.
    const auto withExtent = [&](uint32_t width, uint32_t height) {
        QByteArray bytes = good;
        for (qsizetype at = bytes.indexOf("ispe"); at >= 0; at = bytes.indexOf("ispe", at + 1)) {
            for (int i = 0; i < 4; ++i) {  // past the version and flags
                bytes[at + 8 + i] = char(width >> (24 - 8 * i));
                bytes[at + 12 + i] = char(height >> (24 - 8 * i));
            }
        }
        return bytes;
    };
    const struct Case {
        const char* what;
        QByteArray bytes;
        std::string reason;  // empty: any reason
    } cases[] = {
        {"cut short", good.left(good.size() / 2), ""},
        {"only the file type", good.left(40), ""},
        {"over the memory budget", withExtent(20000, 20000),
         "too large to decode: 20000 x 20000 pixels need more than the 1536 MiB"},
        {"over libheif's side limit", withExtent(kHeifMaxSide + 1, 16), ""},
        {"not HEIF",
         QByteArray("\0\0\0\x10"
                    "ftypjunk\0\0\0\0",
                    16),
         ""},
    };
    for (const Case& c : cases) {
        TBitmap bitmap;
        std::string reason;
        EXPECT_FALSE(DecodePicture(Format(false), c.bytes, {}, bitmap, reason)) << c.what;
        EXPECT_FALSE(reason.empty()) << c.what;
        EXPECT_EQ(reason.substr(0, c.reason.size()), c.reason) << c.what << ": " << reason;
    }
}
