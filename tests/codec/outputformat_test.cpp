#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <optional>

#include "codec/pictureformat.h"
#include "image/bitmap.h"
#include "tests/support/formatdecode.h"

// The thumbnail writers, read back by each format's own library.
namespace {

// Smooth gradients, so that a lossy writer stays close; alpha falls down the
// rows when asked for, else the bitmap is 24-bit.
TBitmap Gradient(int width, int height, bool alpha) {
    TBitmap bitmap(width, height,
                   alpha ? TBitmap::PixelFormat::Bits32 : TBitmap::PixelFormat::Bits24);
    const int bytes = alpha ? 4 : 3;
    for (int y = 0; y < height; ++y) {
        uchar* p = bitmap.scanLine(y);
        for (int x = 0; x < width; ++x, p += bytes) {
            p[0] = uchar(40 + 4 * x);
            p[1] = uchar(60 + 3 * y);
            p[2] = uchar(200 - 2 * x);
            if (alpha) p[3] = uchar(255 - 6 * y);
        }
    }
    return bitmap;
}

QByteArray Encode(const PictureFormat& format, const TBitmap& bitmap, int quality,
                  const std::string& comment = {}) {
    EncodeOptions options;
    options.quality = quality;
    options.comment = comment;
    QByteArray bytes;
    std::string reason;
    EXPECT_TRUE(format.encode(bitmap, options, bytes, reason)) << format.name << ": " << reason;
    return bytes;
}

TEST(OutputFormats, EachWriterGivesThePictureBack) {
    const struct {
        const char* name;
        bool alpha;
        int tolerance;  // largest channel difference after decoding
    } rows[] = {
        {"png", false, 0}, {"png", true, 0},   {"webp", false, 8},
        {"webp", true, 8}, {"avif", false, 8}, {"avif", true, 8},
    };
    for (const auto& row : rows) {
        const PictureFormat* format = OutputFormatNamed(row.name);
        ASSERT_NE(format, nullptr) << row.name;
        const TBitmap picture = Gradient(37, 23, row.alpha);
        const TBitmap decoded = DecodeWithFormatLibrary(format->name, Encode(*format, picture, 90));
        ASSERT_EQ(decoded.width(), 37) << row.name;
        ASSERT_EQ(decoded.height(), 23) << row.name;
        TBitmap expected = picture;
        expected.setPixelFormat(TBitmap::PixelFormat::Bits32);  // opaque when it was 24-bit
        EXPECT_LE(LargestChannelDifference(decoded, expected), row.tolerance)
            << row.name << (row.alpha ? " with alpha" : "");
        // Quality changes the lossy formats' bytes only.
        EXPECT_EQ(Encode(*format, picture, 20) != Encode(*format, picture, 100),
                  format->lossyQuality)
            << row.name;
    }
}

TEST(OutputFormats, TheRecordWrittenIsReadBackFromTheFile) {
    QTemporaryDir dir;
    const std::string text = "thumbrix-update 1 0123456789abcdef 1234 1700000000.5 a.jpg";
    for (const char* name : {"jpeg", "png", "webp", "avif"}) {
        const PictureFormat* format = OutputFormatNamed(name);
        ASSERT_NE(format, nullptr) << name;
        ASSERT_NE(format->readComment, nullptr) << name;
        const std::string with =
            dir.filePath(QString("with") + format->extensions.front().c_str()).toStdString();
        const std::string without =
            dir.filePath(QString("without") + format->extensions.front().c_str()).toStdString();
        QFile file(QString::fromStdString(with));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(Encode(*format, Gradient(20, 10, true), 60, text));
        file.close();
        QFile plain(QString::fromStdString(without));
        ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
        plain.write(Encode(*format, Gradient(20, 10, true), 60));
        plain.close();

        EXPECT_EQ(format->readComment(with, "thumbrix-update 1 "), text) << name;
        EXPECT_EQ(format->readComment(with, "another tag"), std::nullopt) << name;
        EXPECT_EQ(format->readComment(without, "thumbrix-update 1 "), std::nullopt) << name;
        EXPECT_EQ(format->readComment(with + ".missing", "thumbrix-update 1 "), std::nullopt)
            << name;
        EXPECT_EQ(format->readComment(dir.path().toStdString(), ""), std::nullopt) << name;
    }
}

}  // namespace
