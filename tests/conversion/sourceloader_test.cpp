#include "conversion/sourceloader.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>

#include "conversion/runstate.h"
#include "image/bitmap.h"
#include "tests/conversion/conversiontesthost.h"
#include "tests/support/imagecompare.h"
#include "tests/support/tempfolder.h"

namespace {

const std::string kJpegData = THUMBRIX_TESTDATA "/jpeg/";

class SourceLoaderTest : public TempFolderTest {
protected:
    bool load(const std::string& file, std::string* reason = nullptr) {
        return LoadSourceFile(bitmap_, file, state_, host_, reason);
    }

    TestHost host_;
    RunState state_;
    TBitmap bitmap_;
};

// Decodes a djpeg reference (binary PPM or PGM) into red, green, blue.
QImage Reference(const std::string& name) {
    QImage image(QString::fromStdString(kJpegData + "ref/" + name));
    return image.convertToFormat(QImage::Format_RGB32);
}

TEST_F(SourceLoaderTest, OnlyBmpAndJpegExtensionsInAnyCaseLoad) {
    const TBitmap picture = TestPicture(40, 30);
    const struct {
        const char* name;
        bool bmpData;
        bool loads;
    } rows[] = {
        {"Photo.JPEG", false, true}, {"photo.Jpg", false, true},  {"x.BMP", true, true},
        {"photo.jpe", false, false}, {"photo.png", false, false}, {"photo", false, false},
        {"bmp.jpgx", false, false},  {"写真.jpg", false, true},
    };
    for (const auto& r : rows) {
        const std::string file = path(r.name);
        r.bmpData ? SaveBmp(picture, file) : SaveJpeg(picture, file);
        std::string reason;
        EXPECT_EQ(load(file, &reason), r.loads) << r.name << ": " << reason;
        if (r.loads) {
            EXPECT_EQ(bitmap_.width(), 40) << r.name;
            EXPECT_EQ(bitmap_.height(), 30) << r.name;
            EXPECT_EQ(bitmap_.pixelFormat(), TBitmap::PixelFormat::Bits24) << r.name;
        } else {
            EXPECT_FALSE(reason.empty()) << r.name;
        }
    }
    // The BMP path keeps every pixel.
    ASSERT_TRUE(load(path("x.BMP")));
    EXPECT_TRUE(SameBitmap(bitmap_, picture));
}

TEST_F(SourceLoaderTest, LargeJpegFilesDecodeReduced) {
    const struct {
        int width, height;
        int decodedWidth, decodedHeight;
    } rows[] = {
        {1999, 1500, 1999, 1500},  // full size below 2000
        {2000, 10, 1000, 5},       // half
        {10, 2001, 5, 1001},       // the longer side counts, rounded up
        {4000, 3000, 1000, 750},   // quarter
        {9000, 3000, 1125, 375},   // eighth
    };
    for (const auto& r : rows) {
        const std::string file = path("big.jpg");
        SaveJpeg(PlainPicture(r.width, r.height, 40, 120, 200), file, 95);
        ASSERT_TRUE(load(file)) << r.width << "x" << r.height;
        EXPECT_EQ(bitmap_.width(), r.decodedWidth) << r.width << "x" << r.height;
        EXPECT_EQ(bitmap_.height(), r.decodedHeight) << r.width << "x" << r.height;
        const uchar* middle = bitmap_.scanLine(r.decodedHeight / 2) + (r.decodedWidth / 2) * 3;
        EXPECT_NEAR(middle[0], 40, 3);
        EXPECT_NEAR(middle[1], 120, 3);
        EXPECT_NEAR(middle[2], 200, 3);
    }
}

TEST_F(SourceLoaderTest, ColourJpegDecodesLikeTheLibraryWithBlueGreenRedBytes) {
    ASSERT_TRUE(load(kJpegData + "testorig.jpg"));
    const QImage ref = Reference("testorig.ppm");
    ASSERT_EQ(bitmap_.width(), ref.width());
    ASSERT_EQ(bitmap_.height(), ref.height());
    TBitmap expected(QImage(ref).convertToFormat(QImage::Format_BGR888));
    EXPECT_TRUE(SameBitmap(bitmap_, expected));

    // "Best Quality" off takes the fast inverse transform: close, not the same.
    const TBitmap accurate = bitmap_;
    host_.settings.bestQuality = false;
    ASSERT_TRUE(load(kJpegData + "testorig.jpg"));
    EXPECT_FALSE(bitmap_ == accurate);
    EXPECT_LE(MaxDifference(bitmap_, accurate), 16);
}

TEST_F(SourceLoaderTest, GrayscaleJpegLoadsWithEqualChannels) {
    ASSERT_TRUE(load(kJpegData + "testimggray.jpg"));
    ASSERT_EQ(bitmap_.pixelFormat(), TBitmap::PixelFormat::Bits24);
    const QImage ref = Reference("testimggray.pgm");
    ASSERT_EQ(bitmap_.width(), ref.width());
    ASSERT_EQ(bitmap_.height(), ref.height());
    long total = 0;
    for (int y = 0; y < bitmap_.height(); ++y) {
        const uchar* row = bitmap_.scanLine(y);
        for (int x = 0; x < bitmap_.width(); ++x) {
            ASSERT_EQ(row[x * 3], row[x * 3 + 1]) << x << "," << y;
            ASSERT_EQ(row[x * 3], row[x * 3 + 2]) << x << "," << y;
            total += std::abs(row[x * 3] - qGray(ref.pixel(x, y)));
        }
    }
    // 236 gray levels with dithering: within a level of the library's own output.
    EXPECT_LT(double(total) / (bitmap_.width() * bitmap_.height()), 1.0);
}

TEST_F(SourceLoaderTest, MissingDamagedOrForeignDataDoesNotLoad) {
    WriteBytes(path("a.jpg"), ReadFileBytes(THUMBRIX_TESTDATA "/bmpsuite/g/rgb24.bmp"));
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("folder.jpg")));
    const std::string rows[] = {
        path("folder.jpg"),                          // a folder
        path("missing.jpg"),                         // nothing
        "",                                          // no name
        path("a.jpg"),                               // BMP data in a JPEG name
        kJpegData + "derived/bad_trunc_header.jpg",  // cut inside its header
        kJpegData + "derived/bad_empty.jpg",         // no bytes at all
        kJpegData + "derived/bad_soi_eoi_only.jpg",  // no image
        kJpegData + "testorig12.jpg",                // 12-bit samples
    };
    state_.SourceFileAge = 99;
    for (const std::string& file : rows) {
        std::string reason;
        EXPECT_FALSE(load(file, &reason)) << file;
        EXPECT_FALSE(reason.empty()) << file;
        EXPECT_EQ(state_.SourceFileAge, 99u) << file;
    }
    // Cut inside the image data: the rest decodes as the library fills it.
    EXPECT_TRUE(load(kJpegData + "derived/bad_trunc_half.jpg"));
}

TEST_F(SourceLoaderTest, FileDateBecomesADosDateTimeAndUndatableFilesDoNotLoad) {
    const std::string file = path("a.bmp");
    SaveBmp(TestPicture(8, 8), file);
    const struct {
        time_t modified;
        bool loads;
        uint32_t age;
    } rows[] = {
        {LocalTime(2024, 5, 17, 10, 0, 1), true, 0x58B15000},  // 2024-05-17 10:00:00
        {LocalTime(1980, 1, 1, 0, 0, 0), true, 0x00210000},
        {LocalTime(1979, 12, 31, 23, 59, 59), false, 0},
        {LocalTime(2108, 1, 1, 0, 0, 0), false, 0},
    };
    for (const auto& r : rows) {
        SetModified(file, r.modified);
        state_.SourceFileAge = 1;
        EXPECT_EQ(load(file), r.loads) << r.modified;
        EXPECT_EQ(state_.SourceFileAge, r.loads ? r.age : 1u) << r.modified;
    }
}

}  // namespace
