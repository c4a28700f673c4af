#include "codec/srgbtransform.h"

#include <gtest/gtest.h>

#include "codec/jpegimage.h"
#include "tests/codec/codectestutil.h"
#include "tests/support/phototags.h"

namespace {

using Input = SrgbTransform::Input;

// Saturated colours over the whole picture, where profiles differ most.
TBitmap Colourful(int width, int height) {
    TBitmap bitmap(width, height);
    for (int y = 0; y < height; ++y) {
        uchar* row = bitmap.scanLine(y);
        for (int x = 0; x < width; ++x) {
            row[x * 3] = uchar(x * 255 / (width - 1));
            row[x * 3 + 1] = uchar(y * 255 / (height - 1));
            row[x * 3 + 2] = uchar(255 - x * 255 / (width - 1));
        }
    }
    return bitmap;
}

TBitmap Decode(const QByteArray& bytes, bool srgb) {
    TJPEGImage jpeg;
    jpeg.SetSrgbOutput(srgb);
    jpeg.LoadFromBytes(bytes);
    TBitmap bitmap = jpeg.Bitmap();
    bitmap.setPixelFormat(TBitmap::PixelFormat::Bits24);
    return bitmap;
}

}  // namespace

// Decided by what the profile does, not by its name or header.
TEST(SrgbTransform, ConvertsOnlyWhatIsNotSrgbAlready) {
    const struct {
        const char* what;
        QByteArray profile;
        Input input;
        bool converts;
    } rows[] = {
        {"LittleCMS sRGB", SrgbProfile(), Input::Bgr, false},
        {"tabulated sRGB", TabulatedSrgbProfile(), Input::Bgr, false},
        {"Adobe RGB", AdobeRgbProfile(), Input::Bgr, true},
        {"gray gamma 1.0", GrayProfile(1.0), Input::Gray, true},
        {"gray gamma 2.2", GrayProfile(2.2), Input::Gray, true},
        {"CMYK", SwappedCmykProfile(), Input::InvertedCmyk, true},
        {"CMYK, plain samples", SwappedCmykProfile(), Input::Cmyk, true},
        // A profile of another colour space than the samples is ignored.
        {"Adobe RGB on gray", AdobeRgbProfile(), Input::Gray, false},
        {"Adobe RGB on CMYK", AdobeRgbProfile(), Input::InvertedCmyk, false},
        {"gray on RGB", GrayProfile(1.0), Input::Bgr, false},
        {"CMYK on RGB", SwappedCmykProfile(), Input::Bgr, false},
        {"empty", QByteArray(), Input::Bgr, false},
        {"garbage", QByteArray(600, 'x'), Input::Bgr, false},
        {"cut short", AdobeRgbProfile().left(200), Input::Bgr, false},
    };
    for (const auto& r : rows)
        EXPECT_EQ(SrgbTransform::Make(r.profile, r.input) != nullptr, r.converts) << r.what;
}

TEST(SrgbTransform, SrgbTaggedFileDecodesToTheUntaggedBytes) {
    const QByteArray plain = EncodeJpeg(Colourful(64, 48), 90);
    for (const QByteArray& profile : {SrgbProfile(), TabulatedSrgbProfile()}) {
        const TBitmap tagged = Decode(WithIccProfile(plain, profile), true);
        EXPECT_EQ(tagged, Decode(plain, true));
    }
}

TEST(SrgbTransform, AdobeRgbFileDecodesCloseToTheSrgbOriginal) {
    const TBitmap original = Colourful(64, 48);
    const QByteArray adobe = AdobeRgbProfile();
    const QByteArray tagged = WithIccProfile(EncodeJpeg(FromSrgb(original, adobe), 95), adobe);
    const TBitmap reference = Decode(EncodeJpeg(original, 95), false);
    EXPECT_LE(MeanDifference(Decode(tagged, true), reference), 2.0);
    // Without the conversion the colours are plainly off.
    EXPECT_GT(MeanDifference(Decode(tagged, false), reference), 6.0);
}

TEST(SrgbTransform, GrayFileWithProfileHasItsPaletteConverted) {
    const QByteArray gray = ReadFileBytes(JpegSample("testimggray.jpg"));
    const TBitmap plain = Decode(gray, true);
    // Linear gray: a mid level is much lighter in sRGB.
    const TBitmap linear = Decode(WithIccProfile(gray, GrayProfile(1.0)), true);
    ASSERT_EQ(linear.width(), plain.width());
    int wrong = 0;
    for (int y = 0; y < plain.height(); ++y) {
        for (int x = 0; x < plain.width(); ++x) {
            const int p = plain.scanLine(y)[x * 3];
            const uchar* q = linear.scanLine(y) + x * 3;
            const bool gray = q[0] == q[1] && q[1] == q[2];
            const bool lighter = p >= 30 && p <= 225 ? q[0] > p + 10 : q[0] + 1 >= p;
            if (!gray || !lighter) ++wrong;
        }
    }
    EXPECT_EQ(wrong, 0);
}

TEST(SrgbTransform, CmykFileGoesThroughItsProfile) {
    const QByteArray cmyk = ReadFileBytes(JpegSample("derived/testorig_cmyk.jpg"));
    const TBitmap naive = Decode(cmyk, true);
    const TBitmap profiled = Decode(WithIccProfile(cmyk, SwappedCmykProfile()), true);
    ASSERT_EQ(profiled.width(), naive.width());
    double red = 0, green = 0, blue = 0, apart = 0;
    for (int y = 0; y < naive.height(); ++y) {
        for (int x = 0; x < naive.width(); ++x) {
            const uchar* n = naive.scanLine(y) + x * 3;
            const uchar* p = profiled.scanLine(y) + x * 3;
            blue += std::abs(p[0] - n[2]);
            green += std::abs(p[1] - n[1]);
            red += std::abs(p[2] - n[0]);
            apart += std::abs(n[0] - n[2]);
        }
    }
    const double pixels = double(naive.width()) * naive.height();
    EXPECT_GT(apart / pixels, 20.0);  // swapping shows
    EXPECT_LE(red / pixels, 3.0);
    EXPECT_LE(green / pixels, 3.0);
    EXPECT_LE(blue / pixels, 3.0);
    // Without the setting, the naive conversion.
    EXPECT_EQ(Decode(WithIccProfile(cmyk, SwappedCmykProfile()), false), naive);
}
