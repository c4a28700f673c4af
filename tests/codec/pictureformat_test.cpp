#include "codec/pictureformat.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(PictureFormat, ByExtensionAndByFirstBytes) {
    struct Case {
        std::string path;
        std::string head;
        const char* byName;     // the format the name gives, or null
        const char* byContent;  // the format the first bytes give, or null
    };
    const Case cases[] = {
        {"a.bmp", std::string("BM\x36\x00", 4), "BMP", "BMP"},
        {"dir.x/A.BMP", "\xFF\xD8\xFF\xE0", "BMP", "JPEG"},
        {"p.JPG", "\xFF\xD8\xFF\xDB", "JPEG", "JPEG"},
        {"p.jPeG", "\xFF\xD8", "JPEG", nullptr},  // too short to be a JPEG start
        {"p.jpe", "GIF89a", nullptr, "GIF"},
        {"dir.jpg/p", "B", nullptr, nullptr},
        {"bmp", "", nullptr, nullptr},
    };
    for (const Case& c : cases) {
        const PictureFormat* byName = FormatOfPath(c.path);
        const PictureFormat* byContent = FormatOfContent(c.head);
        EXPECT_EQ(byName ? byName->name : "", c.byName ? c.byName : "") << c.path;
        EXPECT_EQ(byContent ? byContent->name : "", c.byContent ? c.byContent : "") << c.path;
    }
}

TEST(PictureFormat, ListsAndStartChecksComeFromTheTable) {
    EXPECT_EQ(PictureFileMask(), "*.bmp;*.jpg;*.jpeg;*.png;*.webp;*.gif;*.tif;*.tiff");
    EXPECT_EQ(PictureExtensionWords(), ".bmp, .jpg, .jpeg, .png, .webp, .gif, .tif or .tiff");
    EXPECT_EQ(PictureFormatWords(), "BMP, JPEG, PNG, WebP, GIF or TIFF");
    EXPECT_TRUE(HasExtension(JpegFormat(), ".JPEG"));
    EXPECT_FALSE(HasExtension(JpegFormat(), ".bmp"));
    std::string reason;
    EXPECT_FALSE(JpegFormat().checkStart(QByteArray("BM"), 2, reason));
    EXPECT_EQ(reason, "Not a JPEG file: starts with 0x42 0x4d");
    for (const PictureFormat& format : PictureFormats()) {
        EXPECT_NE(format.decode, nullptr) << format.name;
    }
}

TEST(PictureFormat, EveryReadFormatIsRecognisedByNameAndContent) {
    const struct {
        std::string path, head;
        const char* format;
    } rows[] = {
        {"a.png", std::string("\x89PNG\r\n\x1a\n", 8), "PNG"},
        {"a.webp", std::string("RIFF\x10\0\0\0WEBPVP8L", 16), "WebP"},
        {"a.gif", "GIF87a", "GIF"},
        {"a.tif", std::string("II*\0", 4), "TIFF"},
        {"a.TIFF", std::string("MM\0*", 4), "TIFF"},
        {"a.tiff", std::string("II+\0", 4), "TIFF"},  // BigTIFF
    };
    for (const auto& r : rows) {
        const PictureFormat* byName = FormatOfPath(r.path);
        const PictureFormat* byContent = FormatOfContent(r.head);
        EXPECT_EQ(byName ? byName->name : "", r.format) << r.path;
        EXPECT_EQ(byContent ? byContent->name : "", r.format) << r.path;
    }
}

}  // namespace
