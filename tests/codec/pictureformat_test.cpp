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
        {"p.jpe", "GIF89a", nullptr, nullptr},
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
    EXPECT_EQ(PictureFileMask(), "*.bmp;*.jpg;*.jpeg");
    EXPECT_EQ(PictureExtensionWords(), ".bmp, .jpg or .jpeg");
    EXPECT_TRUE(HasExtension(JpegFormat(), ".JPEG"));
    EXPECT_FALSE(HasExtension(JpegFormat(), ".bmp"));
    std::string reason;
    EXPECT_FALSE(JpegFormat().checkStart(QByteArray("BM"), 2, reason));
    EXPECT_EQ(reason, "Not a JPEG file: starts with 0x42 0x4d");
    for (const PictureFormat& format : PictureFormats()) {
        EXPECT_NE(format.decode, nullptr) << format.name;
        EXPECT_NE(format.encode, nullptr) << format.name;
    }
}

}  // namespace
