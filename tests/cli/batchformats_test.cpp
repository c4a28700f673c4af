#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <string>

#include "codec/pictureformat.h"
#include "conversion/resampler.h"
#include "image/bitmap.h"
#include "tests/cli/batchtestpictures.h"
#include "tests/support/formatdecode.h"
#include "tests/support/formatpictures.h"

// thumbrix-batch reads every format of the table, each file by its content.
namespace {

// 45 x 31 pixels of smooth colours (few: 64 of them, for GIF); with alpha,
// every opacity.
TBitmap Picture(bool alpha, bool few = false) {
    TBitmap picture(45, 31, alpha ? TBitmap::PixelFormat::Bits32 : TBitmap::PixelFormat::Bits24);
    const int bytes = alpha ? 4 : 3;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            uchar* p = picture.scanLine(y) + x * bytes;
            p[0] = uchar(x * 5);
            p[1] = uchar(y * 8);
            p[2] = uchar((x * y) % 256);
            if (few)
                for (int c = 0; c < 3; ++c) p[c] &= 0xC0;
            if (alpha) p[3] = uchar((x + y) * 255 / 74);
        }
    return picture;
}

void Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray Bmp(TBitmap picture) {
    picture.setPixelFormat(TBitmap::PixelFormat::Bits24);  // laid on white
    QByteArray bytes;
    std::string reason;
    FormatOfExtension(".bmp")->encode(picture, EncodeOptions(), bytes, reason);
    return bytes;
}

QString RunBatch(const QTemporaryDir& dir, QStringList arguments) {
    QDir(dir.path()).mkdir(QStringLiteral("out"));
    arguments = QStringList{"--no-settings", "-s", "9", "-d", dir.filePath("out")} + arguments;
    QProcess process;
    process.setWorkingDirectory(dir.path());
    process.start(QStringLiteral(THUMBRIX_BATCH_PATH), arguments);
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardError());
}

QByteArray Thumbnail(const QTemporaryDir& dir, const char* name) {
    return QByteArray::fromStdString(ReadFileBytes(dir.filePath("out/").toStdString() + name));
}

// Lossless pictures give the thumbnail of their pixels: that of the same
// pixels in a BMP file, transparency laid on white.
TEST(BatchFormats, EveryLosslessFormatGivesTheThumbnailOfItsPixels) {
    const struct {
        const char* format;
        const char* file;
        bool alpha, few;
    } rows[] = {
        {"PNG", "a.png", false, false},     {"PNG", "b.png", true, false},
        {"WebP", "c.webp", false, false},   {"WebP", "d.webp", true, false},
        {"TIFF", "e.tif", false, false},    {"GIF", "f.gif", false, true},
        {"JPEG XL", "g.jxl", false, false}, {"JPEG XL", "h.jxl", true, false},
    };
    for (const auto& r : rows) {
        QTemporaryDir dir;
        Write(dir.filePath("same.bmp"), Bmp(Picture(r.alpha, r.few)));
        Write(dir.filePath(r.file), EncodeTestPicture(r.format, Picture(r.alpha, r.few)));
        const QString errors = RunBatch(dir, {"same.bmp", r.file});
        const QByteArray expected = Thumbnail(dir, "same.jpg");
        ASSERT_FALSE(expected.isEmpty()) << r.file << errors.toStdString();
        const std::string jpg = QString(r.file).section('.', 0, 0).toStdString() + ".jpg";
        EXPECT_EQ(Thumbnail(dir, jpg.c_str()), expected) << r.file << errors.toStdString();
    }
}

// A PNG thumbnail keeps the picture's transparency: the premultiplied area average.
TEST(BatchFormats, TransparencyIsKeptInAPngThumbnail) {
    TBitmap expected;
    AlphaChoice keep;
    keep.keep = true;
    ScaleToThumbnail(expected, Picture(true), 9, nullptr, keep);
    const struct {
        const char* format;
        const char* file;
    } rows[] = {{"PNG", "a.png"}, {"JPEG XL", "a.jxl"}};
    for (const auto& r : rows) {
        QTemporaryDir dir;
        Write(dir.filePath(r.file), EncodeTestPicture(r.format, Picture(true)));
        const QString errors = RunBatch(dir, {"--format", "png", r.file});
        const TBitmap written = DecodeWithFormatLibrary("PNG", Thumbnail(dir, "a.png"));
        EXPECT_EQ(LargestChannelDifference(written, expected), 0) << r.file << errors.toStdString();
    }
}

TEST(BatchFormats, ContentNotNameDecidesAndTheWalkerTakesEveryExtension) {
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("in/sub"));
    QDir(dir.path()).mkpath(QStringLiteral("pictures"));
    QByteArray jpeg;
    for (const std::string& path : MakeBatchPictures(dir.filePath("pictures").toStdString(), 4))
        if (jpeg.isEmpty() && path.ends_with(".JPG"))
            jpeg = QByteArray::fromStdString(ReadFileBytes(path));
    ASSERT_TRUE(jpeg.startsWith("\xFF\xD8"));
    Write(dir.filePath("in/photo.jpg"), jpeg);
    Write(dir.filePath("in/sub/saved as.png"), jpeg);
    Write(dir.filePath("in/sub/notes.jpg"), "just text");
    Write(dir.filePath("in/sub/w.webp"), EncodeTestPicture("WebP", Picture(true)));
    Write(dir.filePath("in/sub/t.tiff"), EncodeTestPicture("TIFF", Picture(false)));
    Write(dir.filePath("in/sub/x.gif"), EncodeTestPicture("GIF", Picture(false, true)));
    Write(dir.filePath("in/sub/j.png"), EncodeTestPicture("JPEG XL", Picture(true)));
    Write(dir.filePath("in/sub/k.JXL"), EncodeTestPicture("JPEG XL", Picture(false)));
    Write(dir.filePath("in/sub/readme.txt"), "not a picture");
    const QString errors = RunBatch(dir, {"-r", "in"});

    EXPECT_EQ(Thumbnail(dir, "sub/saved as.jpg"), Thumbnail(dir, "photo.jpg"));
    EXPECT_FALSE(Thumbnail(dir, "photo.jpg").isEmpty());
    EXPECT_TRUE(
        errors.contains(QString::fromStdString("notes.jpg: not converted: not a picture: its "
                                               "first bytes are those of no " +
                                               PictureFormatWords() + " file")))
        << errors.toStdString();
    const QStringList made = QDir(dir.filePath("out/sub")).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(made, QStringList({"j.jpg", "k.jpg", "saved as.jpg", "t.jpg", "w.jpg", "x.jpg"}))
        << errors.toStdString();
    EXPECT_FALSE(errors.contains("readme")) << errors.toStdString();
}

}  // namespace
