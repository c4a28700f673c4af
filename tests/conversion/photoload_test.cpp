// Photos as cameras and phones write them: EXIF Orientation and ICC profiles,
// through the run, as both the batch and the preview use it.

#include <gtest/gtest.h>

#include "codec/jpegimage.h"
#include "codec/srgbtransform.h"
#include "conversion/runconversion.h"
#include "conversion/runstate.h"
#include "conversion/sourceloader.h"
#include "image/bitmap.h"
#include "image/orientation.h"
#include "tests/conversion/conversiontesthost.h"
#include "tests/support/imagecompare.h"
#include "tests/support/phototags.h"
#include "tests/support/tempfolder.h"

namespace {

QByteArray Encode(const TBitmap& bitmap, int quality) {
    TJPEGImage jpeg;
    jpeg.Assign(bitmap);
    jpeg.SetEncodeQuality(quality);
    return jpeg.SaveToBytes();
}

// Flat 8 x 8 gray cells, each of its own level: JPEG at quality 100 keeps
// every pixel, so stored and upright copies decode exactly.
TBitmap Cells(int columns, int rows) {
    return PositionCoded(columns * 8, rows * 8,
                         [](int x, int y) { return 10 + 9 * (x / 8) + 50 * (y / 8); });
}

// Smooth saturated colours, where sRGB and Adobe RGB differ most.
TBitmap Saturated(int width, int height) {
    TBitmap bitmap(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uchar* p = bitmap.scanLine(y) + x * 3;
            p[0] = uchar(x * 255 / (width - 1));
            p[1] = uchar(y * 255 / (height - 1));
            p[2] = uchar(255 - x * 255 / (width - 1));
        }
    return bitmap;
}

// The markers of the segments before the first scan.
std::vector<int> HeaderMarkers(const std::string& jpeg) {
    std::vector<int> markers;
    std::size_t at = 2;
    while (at + 4 <= jpeg.size() && uchar(jpeg[at]) == 0xFF) {
        const int marker = uchar(jpeg[at + 1]);
        markers.push_back(marker);
        if (marker == 0xDA) break;
        at += 2 + (uchar(jpeg[at + 2]) << 8 | uchar(jpeg[at + 3]));
    }
    return markers;
}

class PhotoLoadTest : public TempFolderTest {
protected:
    void SetUp() override {
        out_ = dir_.path().toStdString() + "/out/";
        QDir(dir_.path()).mkdir(QStringLiteral("out"));
        host_.settings.destination = out_;
    }
    std::string put(const std::string& name, const QByteArray& bytes) {
        WriteBytes(path(name), bytes.toStdString());
        return path(name);
    }
    // The thumbnail the preview would show.
    TBitmap thumbnail(const std::string& path) {
        state_.FileQueue = {path};
        state_.PreviewMode = true;
        RunConversion(state_, host_);
        EXPECT_FALSE(state_.RunFailed) << path;
        return state_.ThumbBitmap;
    }

    std::string out_;
    TestHost host_;
    RunState state_;
};

// Each stored picture is the upright one turned the other way, tagged.
TEST_F(PhotoLoadTest, EveryOrientationGivesTheThumbnailOfTheUprightPicture) {
    const TBitmap upright = Cells(6, 4);  // 48 x 32
    host_.settings.size = 24;
    const TBitmap expected = thumbnail(put("upright.jpg", Encode(upright, 100)));
    ASSERT_EQ(expected.width(), 24);
    ASSERT_EQ(expected.height(), 16);
    const int undo[9] = {0, 1, 2, 3, 4, 5, 8, 7, 6};
    for (int o = 1; o <= 8; ++o) {
        TBitmap stored = upright;
        TurnUpright(stored, undo[o]);
        const std::string name = std::to_string(o) + ".jpg";
        const std::string path = put(name, WithSegment(Encode(stored, 100), 0xE1, ExifBody(o)));
        host_.settings.autoOrient = true;
        EXPECT_TRUE(SameBitmap(thumbnail(path), expected)) << "orientation " << o;
        // Switched off, the stored picture as it is.
        host_.settings.autoOrient = false;
        const TBitmap asStored = thumbnail(path);
        EXPECT_EQ(asStored.width(), o >= 5 ? 16 : 24) << "orientation " << o;
    }
}

TEST_F(PhotoLoadTest, PortraitPhotoTaggedSixGivesAPortraitThumbnail) {
    host_.settings.size = 160;
    const QByteArray landscape = Encode(TestPicture(1920, 1280), 80);
    const TBitmap thumb = thumbnail(put("p.jpg", WithSegment(landscape, 0xE1, ExifBody(6))));
    EXPECT_EQ(thumb.width(), 107);
    EXPECT_EQ(thumb.height(), 160);
}

TEST_F(PhotoLoadTest, SrgbTaggedPhotoGivesTheUntaggedThumbnailFile) {
    state_.PreviewMode = false;
    const QByteArray plain = Encode(TestPicture(300, 200, 3), 90);
    const QByteArray tagged = WithIccProfile(plain, SrgbProfile());
    state_.FileQueue = {put("plain.jpg", plain), put("tagged.jpg", tagged)};
    host_.settings.size = 100;
    RunConversion(state_, host_);
    EXPECT_EQ(ReadFileBytes(out_ + "tagged.jpg"), ReadFileBytes(out_ + "plain.jpg"));
}

TEST_F(PhotoLoadTest, AdobeRgbPhotoThumbnailMatchesTheSrgbOriginal) {
    const TBitmap original = Saturated(240, 160);
    const QByteArray adobe = AdobeRgbProfile();
    host_.settings.size = 120;
    const TBitmap reference = thumbnail(put("srgb.jpg", Encode(original, 95)));
    const std::string tagged =
        put("adobe.jpg", WithIccProfile(Encode(FromSrgb(original, adobe), 95), adobe));
    EXPECT_LE(MeanDifference(thumbnail(tagged), reference), 2.0);
    host_.settings.toSrgb = false;
    EXPECT_GT(MeanDifference(thumbnail(tagged), reference), 6.0);
}

// The run converts an RGB photo's thumbnail; the loader on its own converts
// the decoded picture, so that its result is right for any caller.
TEST_F(PhotoLoadTest, LoaderConvertsUnlessTheCallerTakesTheThumbnailOver) {
    const TBitmap original = Saturated(96, 64);
    const QByteArray adobe = AdobeRgbProfile();
    const std::string plain = put("plain.jpg", Encode(original, 95));
    const std::string tagged =
        put("adobe.jpg", WithIccProfile(Encode(FromSrgb(original, adobe), 95), adobe));
    TBitmap reference, bitmap;
    std::unique_ptr<SrgbTransform> colours;
    ASSERT_TRUE(LoadSourceFile(reference, plain, state_, host_, nullptr, &colours));
    EXPECT_EQ(colours, nullptr);

    ASSERT_TRUE(LoadSourceFile(bitmap, tagged, state_, host_));
    EXPECT_LE(MeanDifference(bitmap, reference), 2.0);
    ASSERT_TRUE(LoadSourceFile(bitmap, tagged, state_, host_, nullptr, &colours));
    ASSERT_NE(colours, nullptr);
    EXPECT_GT(MeanDifference(bitmap, reference), 4.0);
    colours->convert(bitmap);
    EXPECT_LE(MeanDifference(bitmap, reference), 2.0);
    host_.settings.toSrgb = false;
    ASSERT_TRUE(LoadSourceFile(bitmap, tagged, state_, host_, nullptr, &colours));
    EXPECT_EQ(colours, nullptr);
}

// Nothing of a photo's camera, place or profile reaches its thumbnail.
TEST_F(PhotoLoadTest, ThumbnailsCarryNoExifXmpOrProfile) {
    const QByteArray xmp("http://ns.adobe.com/xap/1.0/\0<x:xmpmeta/>", 40);
    const QByteArray photo = WithSegment(
        WithSegment(WithIccProfile(Encode(TestPicture(64, 48), 90), AdobeRgbProfile()), 0xE1, xmp),
        0xE1, ExifBody(3));
    state_.FileQueue = {put("photo.jpg", photo)};
    RunConversion(state_, host_);
    const std::vector<int> markers = HeaderMarkers(ReadFileBytes(out_ + "photo.jpg"));
    ASSERT_FALSE(markers.empty());
    for (int marker : markers) EXPECT_TRUE(marker < 0xE1 || marker > 0xEF) << std::hex << marker;
}

}  // namespace
