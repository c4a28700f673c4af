#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <fstream>
#include <string>
#include <vector>

#include "conversion/resampler.h"
#include "image/bitmap.h"
#include "tests/cli/batchtestpictures.h"
#include "tests/support/formatdecode.h"

// thumbrix-batch's output choices: --format, -o, --no-enlarge.
namespace {

class BatchOutputTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = dir_.path().toStdString() + "/";
        ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("out")));
        picture_ = Gradient(64, 48);
        ASSERT_TRUE(picture_.image().save(QString::fromStdString(root_ + "big.bmp")));
        ASSERT_TRUE(Gradient(20, 10).image().save(QString::fromStdString(root_ + "small.bmp")));
    }

    static TBitmap Gradient(int width, int height) {
        QImage image(width, height, QImage::Format_BGR888);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) image.setPixel(x, y, qRgb(30 + 3 * x, 50 + 4 * y, 90));
        return TBitmap(image);
    }

    // Runs the program (no settings file) with an "@" in an argument standing
    // for the temporary folder; the exit status.
    int run(const std::vector<std::string>& arguments) {
        QStringList list{QStringLiteral("--no-settings"), QStringLiteral("--quiet")};
        for (std::string a : arguments) {
            if (const size_t at = a.find('@'); at != std::string::npos) a.replace(at, 1, root_);
            list << QString::fromStdString(a);
        }
        QProcess process;
        process.start(QStringLiteral(THUMBRIX_BATCH_PATH), list);
        process.waitForFinished(120000);
        err_ = process.readAllStandardError().toStdString();
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    // The written thumbnail as 32 bits, read by its format's own library.
    TBitmap read(const std::string& name, const std::string& format) const {
        const QString path = QString::fromStdString(root_ + name);
        TBitmap bitmap;
        if (format == "JPEG") {
            bitmap = TBitmap(QImage(path));
        } else if (QFile file(path); file.open(QIODevice::ReadOnly)) {
            bitmap = DecodeWithFormatLibrary(format, file.readAll());
        }
        bitmap.setPixelFormat(TBitmap::PixelFormat::Bits32);
        return bitmap;
    }

    // The area average of a source at a size, opaque, as 32 bits.
    static TBitmap Expected(const TBitmap& source, int size) {
        TBitmap thumbnail;
        ScaleToThumbnail(thumbnail, source, size);
        thumbnail.setPixelFormat(TBitmap::PixelFormat::Bits32);
        return thumbnail;
    }

    QTemporaryDir dir_;
    std::string root_;
    std::string err_;
    TBitmap picture_;
};

TEST_F(BatchOutputTest, EachFormatAndOutputWritesTheAveragedPicture) {
    const struct {
        std::vector<std::string> args;
        const char* written;  // in the temporary folder
        const char* format;
        int width, height;
        int tolerance;  // largest channel difference from the area average
    } rows[] = {
        {{"-s", "32", "-d", "@out", "@big.bmp"}, "out/big.jpg", "JPEG", 32, 24, 16},
        {{"--format", "png", "-s", "32", "-d", "@out", "@big.bmp"},
         "out/big.png",
         "PNG",
         32,
         24,
         0},
        {{"--format=webp", "-q", "95", "-d", "@out", "@big.bmp"},
         "out/big.webp",
         "WebP",
         32,
         24,
         8},
        {{"--format", "avif", "-q", "95", "-s", "40", "-d", "@out", "@big.bmp"},
         "out/big.avif",
         "AVIF",
         40,
         30,
         8},
        // -o: exactly the file, its extension the format; relative to the current folder too
        {{"-o", "@thumb.PNG", "-s", "16", "@big.bmp"}, "thumb.PNG", "PNG", 16, 12, 0},
        {{"--output=@t.webp", "-q", "95", "@big.bmp"}, "t.webp", "WebP", 32, 24, 8},
        // a small picture keeps its size, or is enlarged
        {{"--no-enlarge", "-s", "100", "-o", "@s1.png", "@small.bmp"}, "s1.png", "PNG", 20, 10, 0},
        {{"-s", "100", "-o", "@s3.png", "@small.bmp"}, "s3.png", "PNG", 100, 50, 0},
    };
    for (const auto& row : rows) {
        ASSERT_EQ(run(row.args), 0) << row.written << ": " << err_;
        const TBitmap got = read(row.written, row.format);
        ASSERT_EQ(got.width(), row.width) << row.written;
        ASSERT_EQ(got.height(), row.height) << row.written;
        const bool small = std::string(row.written).rfind("s", 0) == 0;
        const TBitmap source = small ? Gradient(20, 10) : picture_;
        const int size = std::max(row.width, row.height);
        EXPECT_LE(LargestChannelDifference(got, Expected(source, size)), row.tolerance)
            << row.written;
    }
    // -o writes nothing else; JPEG, asked for or not, is the same bytes.
    EXPECT_FALSE(QFile::exists(QString::fromStdString(root_ + "big.png")));
    ASSERT_EQ(run({"--format", "jpeg", "-s", "32", "-o", "@again.jpg", "@big.bmp"}), 0) << err_;
    EXPECT_EQ(ReadFileBytes(root_ + "again.jpg"), ReadFileBytes(root_ + "out/big.jpg"));
}

TEST_F(BatchOutputTest, UsageErrorsWriteNothing) {
    std::ofstream(root_ + "two.list") << root_ << "big.bmp\n" << root_ << "small.bmp\n";
    const std::vector<std::string> rows[] = {
        {"--format", "gif", "@big.bmp"},
        {"--format", "bmp", "@big.bmp"},
        {"--format", "@big.bmp"},
        {"-o", "@x.gif", "@big.bmp"},
        {"-o", "@noextension", "@big.bmp"},
        {"-o", "@x.png", "@big.bmp", "@small.bmp"},
        {"-o", "@x.png", "--files-from", "@two.list"},
        {"-o", "@x.png", "-r", "@"},
        {"--format", "webp", "-o", "@x.png", "@big.bmp"},
        {"--background", "fff", "-d", "@out", "@big.bmp"},
        {"--background", "12345g", "-d", "@out", "@big.bmp"},
        {"--no-enlarge=1", "-d", "@out", "@big.bmp"},
    };
    for (const auto& args : rows) {
        std::string joined;
        for (const auto& a : args) joined += a + " ";
        EXPECT_EQ(run(args), 2) << joined << err_;
        EXPECT_FALSE(err_.empty()) << joined;
    }
    EXPECT_EQ(QDir(dir_.path() + "/out").entryList(QDir::Files).size(), 0);
    EXPECT_EQ(QDir(dir_.path()).entryList({QStringLiteral("x.*")}, QDir::Files).size(), 0);
}

}  // namespace
