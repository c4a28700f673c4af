#include "codec/pictureformat.h"

#include <gtest/gtest.h>

#include <string>

#include "image/bitmap.h"

namespace {

TEST(PictureFormat, ByExtensionAndByFirstBytes) {
    struct Case {
        std::string path;
        std::string head;
        const char* byName;     // the format the name gives, or null
        const char* byContent;  // the format the first bytes give, or null
        bool nameWins = false;  // by both, the name's format, not the content's
    };
    const Case cases[] = {
        {"a.bmp", std::string("BM\x36\x00", 4), "BMP", "BMP"},
        {"dir.x/A.BMP", "\xFF\xD8\xFF\xE0", "BMP", "JPEG"},
        {"p.JPG", "\xFF\xD8\xFF\xDB", "JPEG", "JPEG"},
        {"p.jPeG", "\xFF\xD8", "JPEG", nullptr},  // too short to be a JPEG start
        {"p.jpe", "GIF89a", nullptr, "GIF"},
        {"dir.jpg/p", "B", nullptr, nullptr},
        {"bmp", "", nullptr, nullptr},
        {"a.HEIC",
         std::string("\0\0\0\x18"
                     "ftypheic\0\0\0\0mif1heic",
                     24),
         "HEIF", "HEIF"},
        {"a.hif",
         std::string("\0\0\0\x10"
                     "ftypmif1\0\0\0\0",
                     16),
         "HEIF", "HEIF"},
        {"a.avif",
         std::string("\0\0\0\x14"
                     "ftypavif\0\0\0\0mif1",
                     20),
         "AVIF", "AVIF"},
        {"a.heic",
         std::string("\0\0\0\x14"
                     "ftypmif1\0\0\0\0avif",
                     20),
         "HEIF", "AVIF"},
        // A compatible brand past the box's own size does not count.
        {"a.avif",
         std::string("\0\0\0\x10"
                     "ftypmif1\0\0\0\0avif",
                     20),
         "AVIF", "HEIF"},
        {"a.mp4",
         std::string("\0\0\0\x10"
                     "ftypisom\0\0\0\0",
                     16),
         nullptr, nullptr},
        {"a.CR3",
         std::string("\0\0\0\x18"
                     "ftypcrx \0\0\0\x01"
                     "crx isom",
                     24),
         "RAW", "RAW"},
        {"a.cr2", std::string("II*\0\x10\0\0\0CR\x02\0", 12), "RAW", "RAW"},
        {"a.raf", "FUJIFILMCCD-RAW 0201", "RAW", "RAW"},
        {"a.orf", std::string("IIRO\x08\0\0\0", 8), "RAW", "RAW"},
        {"a.rw2", std::string("IIU\0\x18\0\0\0", 8), "RAW", "RAW"},
        // NEF, ARW and DNG are TIFF files: only the extension or DNGVersion tells.
        {"a.nef", std::string("MM\0*\0\0\0\x08", 8), "RAW", "TIFF", true},
        {"a.ARW", std::string("II*\0\x08\0\0\0", 8), "RAW", "TIFF", true},
        {"a.nef", "\xFF\xD8\xFF\xE0", "RAW", "JPEG"},
        {"a.tif", std::string("II*\0\x10\0\0\0CR\x02\0", 12), "TIFF", "RAW"},
        {"a.tif", std::string("II*\0\x08\0\0\0\x01\0\x12\xC6\x01\0\x04\0\0\0\x01\x04\0\0", 22),
         "TIFF", "RAW"},
        {"a.tif", std::string("II*\0\x08\0\0\0\x01\0\x00\x01\x03\0\x01\0\0\0\x10\0\0\0", 22),
         "TIFF", "TIFF"},
        {"a.png", std::string("\x89PNG\r\n\x1a\n", 8), "PNG", "PNG"},
        {"a.webp", std::string("RIFF\x10\0\0\0WEBPVP8L", 16), "WebP", "WebP"},
        {"a.gif", "GIF87a", "GIF", "GIF"},
        {"a.tif", std::string("II*\0", 4), "TIFF", "TIFF"},
        {"a.TIFF", std::string("MM\0*", 4), "TIFF", "TIFF"},
        {"a.tiff", std::string("II+\0", 4), "TIFF", "TIFF"},  // BigTIFF
    };
    for (const Case& c : cases) {
        const PictureFormat* byName = FormatOfPath(c.path);
        const PictureFormat* byContent = FormatOfContent(c.head);
        const PictureFormat* byBoth = FormatOfContent(c.head, byName);
        EXPECT_EQ(byName ? byName->name : "", c.byName ? c.byName : "") << c.path;
        EXPECT_EQ(byContent ? byContent->name : "", c.byContent ? c.byContent : "") << c.path;
        EXPECT_EQ(byBoth, c.nameWins ? byName : byContent) << c.path;
    }
}

TEST(PictureFormat, ListsAndStartChecksComeFromTheTable) {
    EXPECT_EQ(PictureFileMask().substr(0, 18), "*.bmp;*.jpg;*.jpeg");
    EXPECT_EQ(PictureExtensionWords().substr(0, 20), ".bmp, .jpg, .jpeg, .");
    EXPECT_TRUE(HasExtension(JpegFormat(), ".JPEG"));
    EXPECT_FALSE(HasExtension(JpegFormat(), ".bmp"));
    const struct {
        const char* extension;
        const char* reason;
    } starts[] = {{".jpg", "Not a JPEG file: starts with 0x42 0x4d"}, {".png", "not a PNG file"}};
    for (const auto& r : starts) {
        std::string reason;
        EXPECT_FALSE(
            CheckFormatStart(*FormatOfExtension(r.extension), QByteArray("BM"), 2, reason));
        EXPECT_EQ(reason, r.reason);
    }
    for (const PictureFormat& format : PictureFormats()) EXPECT_NE(format.decode, nullptr);
    for (const PictureFormat& format : OutputFormats()) EXPECT_NE(format.encode, nullptr);
}

// Every decoder's success holds a picture: a library that lets a 0 x 0 header
// through is refused here, whichever format it is.
TEST(PictureFormat, ADecodeWithoutPixelsIsRefused) {
    PictureFormat format = JpegFormat();
    format.decode = [](const QByteArray&, const DecodeOptions&, TBitmap& bitmap, std::string&) {
        bitmap = TBitmap();
        return true;
    };
    TBitmap bitmap(2, 2);
    std::string reason;
    EXPECT_FALSE(DecodePicture(format, QByteArray(), DecodeOptions(), bitmap, reason));
    EXPECT_EQ(reason, "empty picture");
}

}  // namespace
