#include "conversion/windowformats.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <algorithm>

#include "codec/pictureformat.h"
#include "conversion/runstate.h"
#include "conversion/sourceloader.h"
#include "tests/conversion/conversiontesthost.h"

namespace {

bool Has(const std::vector<std::string>& list, const std::string& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

// Off, the window takes its three extensions whatever else the table reads;
// on, every extension the table reads (so PNG once the table reads it).
TEST(WindowFormats, TheKeyChoosesThreeExtensionsOrEveryOneRead) {
    const std::vector<std::string> three = {".bmp", ".jpg", ".jpeg"};
    EXPECT_EQ(WindowExtensions(false), three);
    EXPECT_EQ(WindowFileMask(false), "*.bmp;*.jpg;*.jpeg");
    EXPECT_EQ(WindowExtensions(true), PictureExtensions());
    EXPECT_EQ(WindowFileMask(true), PictureFileMask());
    for (const std::string& extension : three) EXPECT_TRUE(Has(WindowExtensions(true), extension));
    for (const char* other : {".png", ".webp", ".avif", ".heic", ".gif", ".tif"})
        EXPECT_EQ(Has(WindowExtensions(true), other), FormatOfExtension(other) != nullptr) << other;

    const PictureFormat& jpeg = *FormatOfExtension(".jpg");
    const PictureFormat& bmp = *FormatOfExtension(".bmp");
    const struct {
        const char* source;
        const PictureFormat& format;  // as found
        bool allFormats, read;
    } rows[] = {
        {"/p/a.JPG", jpeg, false, true},   {"/p/a.Bmp", bmp, false, true},
        {"/p/a.jpg", bmp, false, false},  // not what it says
        {"/p/a.jfif", jpeg, false, false}, {"/p/a.jpg", bmp, true, true},
        {"/p/a.jfif", jpeg, true, true},   {"/p.jpg/a", jpeg, false, false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(WindowReadsSource(row.source, row.format, row.allFormats), row.read)
            << row.source << " as " << row.format.name << (row.allFormats ? " (all)" : "");
}

TEST(WindowFormats, TheLoaderRefusesWhatItsHostDoesNotRead) {
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("a.bmp")).toStdString();
    SaveBmp(TestPicture(8, 6), path);
    TestHost host;
    RunState state;
    TBitmap bitmap;
    std::string reason;
    EXPECT_TRUE(LoadSourceFile(bitmap, path, state, host, &reason)) << reason;
    std::string asked;
    host.reads = [&](const std::string& source, const PictureFormat& format) {
        asked = source + " " + format.name;
        return false;
    };
    EXPECT_FALSE(LoadSourceFile(bitmap, path, state, host, &reason));
    EXPECT_EQ(reason, "BMP files are not read here");
    EXPECT_EQ(asked, path + " BMP");
}

}  // namespace
