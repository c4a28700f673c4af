// HEIF, AVIF, JPEG XL and camera RAW files through the loader and the resampler.

#include <gtest/gtest.h>

#include "codec/jpegimage.h"
#include "codec/pictureformat.h"
#include "conversion/resampler.h"
#include "conversion/runstate.h"
#include "conversion/sourceloader.h"
#include "conversion/windowformats.h"
#include "image/bitmap.h"
#include "tests/conversion/conversiontesthost.h"
#include "tests/support/dngpicture.h"
#include "tests/support/heifpictures.h"
#include "tests/support/imagecompare.h"
#include "tests/support/jxlpictures.h"
#include "tests/support/tempfolder.h"

namespace {

// Eight flat bands of colour, 32 pixels each: every cell of a 32-pixel
// thumbnail of the 256 x 192 picture lies inside one band.
TBitmap Bands(bool alpha) {
    TBitmap bitmap(256, 192, alpha ? TBitmap::PixelFormat::Bits32 : TBitmap::PixelFormat::Bits24);
    const int channels = alpha ? 4 : 3;
    for (int y = 0; y < 192; ++y)
        for (int x = 0; x < 256; ++x) {
            uchar* p = bitmap.scanLine(y) + x * channels;
            const int band = x / 32;
            p[0] = uchar(30 * band), p[1] = uchar(200 - 20 * band),
            p[2] = uchar(band % 2 ? 220 : 40);
            if (alpha) p[3] = uchar(band < 4 ? 255 : 0);
        }
    return bitmap;
}

TBitmap Thumbnail(const TBitmap& picture) {
    TBitmap thumbnail;
    ScaleToThumbnail(thumbnail, picture, 32);
    return thumbnail;
}

QByteArray DngWith(const TBitmap& picture) {
    TJPEGImage jpeg;
    jpeg.Assign(picture);
    jpeg.SetEncodeQuality(95);
    DngRecipe recipe;
    recipe.jpegPreview = jpeg.SaveToBytes();
    recipe.previewWidth = picture.width();
    recipe.previewHeight = picture.height();
    return MakeDng(recipe);
}

class NewFormatsTest : public TempFolderTest {
protected:
    std::string write(const std::string& name, const QByteArray& bytes) {
        EXPECT_TRUE(WriteFileBytes(path(name), bytes.toStdString())) << name;
        return path(name);
    }
    bool load(const std::string& path, std::string& reason) {
        RunState state;
        return LoadSourceFile(bitmap_, path, state, host_, &reason);
    }

    TestHost host_;
    TBitmap bitmap_;
};

}  // namespace

TEST_F(NewFormatsTest, LoadedOnlyWhereEveryFormatIsAsked) {
    HeifRecipe avif;
    avif.av1 = true;
    const struct Case {
        std::string name;
        QByteArray bytes;
    } cases[] = {
        {"p.HEIC", EncodeHeif(Bands(false))},
        {"p.avif", EncodeHeif(Bands(false), avif)},
        {"p.dng", DngWith(Bands(false))},
        {"p.jxl", EncodeJxl(Bands(false))},
    };
    for (const Case& c : cases) {
        const std::string path = write(c.name, c.bytes);
        for (const bool every : {false, true}) {
            host_.reads = [every](const std::string& source, const PictureFormat& format) {
                return WindowReadsSource(source, format, every);
            };
            std::string reason;
            EXPECT_EQ(load(path, reason), every) << c.name << ": " << reason;
            if (every) {
                EXPECT_EQ(bitmap_.width(), 256) << c.name;
            } else {
                EXPECT_NE(reason.find("files are not read here"), std::string::npos) << c.name;
            }
        }
    }
}

TEST_F(NewFormatsTest, ThumbnailIsTheAreaAverageOfTheDecodedPicture) {
    HeifRecipe avif;
    avif.av1 = true;
    JxlRecipe lossy;
    lossy.lossless = false;
    lossy.distance = 0.5f;
    const struct Case {
        std::string name;
        bool alpha;
        QByteArray bytes;
        int tolerance;  // of the lossy codec, against the original's thumbnail
    } cases[] = {
        {"o.heic", false, EncodeHeif(Bands(false)), 6},
        {"o.avif", false, EncodeHeif(Bands(false), avif), 6},
        {"a.heic", true, EncodeHeif(Bands(true)), 6},
        {"a.avif", true, EncodeHeif(Bands(true), avif), 6},
        {"o.dng", false, DngWith(Bands(false)), 8},  // the JPEG preview's 4:2:0 at band edges
        {"o.jxl", false, EncodeJxl(Bands(false)), 0},
        {"a.jxl", true, EncodeJxl(Bands(true)), 0},
        {"l.jxl", false, EncodeJxl(Bands(false), lossy), 3},
    };
    for (const Case& c : cases) {
        std::string reason;
        ASSERT_TRUE(load(write(c.name, c.bytes), reason)) << c.name << ": " << reason;
        EXPECT_EQ(bitmap_.pixelFormat(),
                  c.alpha ? TBitmap::PixelFormat::Bits32 : TBitmap::PixelFormat::Bits24)
            << c.name;
        // Exactly the average of the decoded picture laid on white...
        TBitmap decoded;
        ASSERT_TRUE(DecodePicture(*FormatOfPath(c.name), c.bytes, {}, decoded, reason)) << reason;
        decoded.setPixelFormat(TBitmap::PixelFormat::Bits24);
        const TBitmap thumbnail = Thumbnail(bitmap_);
        EXPECT_TRUE(SameBitmap(thumbnail, Thumbnail(decoded))) << c.name;
        // ...and near the original's, clear bands white.
        TBitmap original = Bands(c.alpha);
        original.setPixelFormat(TBitmap::PixelFormat::Bits24);
        const TBitmap expected = Thumbnail(original);
        EXPECT_LE(MaxDifference(thumbnail, expected), c.tolerance) << c.name;
        if (c.alpha) {
            const uchar* clear = thumbnail.scanLine(12) + 30 * 3;
            EXPECT_TRUE(clear[0] >= 253 && clear[1] >= 253 && clear[2] >= 253) << c.name;
        }
    }
}
