#include <gtest/gtest.h>

#include <QImage>

#include "codec/jpegcomment.h"
#include "conversion/runstate.h"
#include "conversion/sourceloader.h"
#include "conversion/thumbnailwriter.h"
#include "image/bitmap.h"
#include "tests/conversion/conversiontesthost.h"
#include "tests/support/imagecompare.h"
#include "tests/support/tempfolder.h"

// The choices a run host may make that the window does not (draft decoding,
// optimised Huffman tables), and a comment in the thumbnail.
namespace {

class BatchChoicesTest : public TempFolderTest {
protected:
    TestHost host_;
    RunState state_;
};

TEST_F(BatchChoicesTest, DraftDecodesAtTheSmallestScaleStillTwiceTheThumbnail) {
    SaveJpeg(TestPicture(1000, 600), path("a.jpg"));
    const struct {
        bool draft;
        int size, width, height;
    } rows[] = {
        {false, 32, 1000, 600},  // the window: full size below 2000
        {true, 32, 125, 75},     // 1/8: 125 >= 64
        {true, 62, 125, 75},     // 125 >= 124, still 1/8
        {true, 63, 250, 150},    // 125 < 126: 1/4
        {true, 160, 500, 300},   // 1/2
        {true, 300, 1000, 600},  // 500 < 600: full
    };
    for (const auto& row : rows) {
        host_.settings.draft = row.draft;
        host_.settings.size = row.size;
        TBitmap bitmap;
        ASSERT_TRUE(LoadSourceFile(bitmap, path("a.jpg"), state_, host_)) << row.size;
        EXPECT_EQ(bitmap.width(), row.width) << row.size;
        EXPECT_EQ(bitmap.height(), row.height) << row.size;
    }
}

TEST_F(BatchChoicesTest, OptimisedTablesKeepThePixelsAndSaveBytes) {
    const TBitmap picture = TestPicture(160, 120, 4);
    for (const bool progressive : {false, true}) {
        host_.settings.progressive = progressive;
        host_.settings.optimize = false;
        WriteThumbnail(picture, path("plain.jpg"), state_, host_);
        host_.settings.optimize = true;
        WriteThumbnail(picture, path("optimized.jpg"), state_, host_);
        // Progressive files have optimised tables anyway: the library sees to it.
        if (progressive) {
            EXPECT_EQ(ReadFileBytes(path("optimized.jpg")), ReadFileBytes(path("plain.jpg")));
        } else {
            EXPECT_LT(ReadFileBytes(path("optimized.jpg")).size(),
                      ReadFileBytes(path("plain.jpg")).size());
        }
        const QImage plain(QString::fromStdString(path("plain.jpg")));
        const QImage optimized(QString::fromStdString(path("optimized.jpg")));
        EXPECT_EQ(plain, optimized) << progressive;
    }
}

TEST_F(BatchChoicesTest, CommentIsWrittenAfterTheHeadersAndReadBack) {
    const TBitmap picture = TestPicture(40, 30, 2);
    WriteThumbnail(picture, path("plain.jpg"), state_, host_);
    const std::string comment = "thumbrix-update 1 abc";
    WriteThumbnail(picture, path("noted.jpg"), state_, host_, comment);
    const std::string plain = ReadFileBytes(path("plain.jpg"));
    const std::string noted = ReadFileBytes(path("noted.jpg"));
    // SOI, the JFIF header, then the comment; the rest unchanged.
    const size_t headers = 2 + 2 + (uint8_t(plain[4]) << 8 | uint8_t(plain[5]));
    const std::string segment = std::string("\xFF\xFE\x00\x17", 4) + comment;
    EXPECT_EQ(noted, plain.substr(0, headers) + segment + plain.substr(headers));
    EXPECT_EQ(ReadJpegComment(path("noted.jpg"), "thumbrix-update "), comment);
    EXPECT_EQ(ReadJpegComment(path("noted.jpg"), "other"), std::nullopt);
    EXPECT_EQ(ReadJpegComment(path("plain.jpg"), ""), std::nullopt);
    EXPECT_EQ(ReadJpegComment(path("missing.jpg"), ""), std::nullopt);
    WriteBytes(path("cut.jpg"), noted.substr(0, headers + 6));  // a segment cut short
    EXPECT_EQ(ReadJpegComment(path("cut.jpg"), ""), std::nullopt);
    const QImage a(QString::fromStdString(path("plain.jpg")));
    EXPECT_EQ(QImage(QString::fromStdString(path("noted.jpg"))), a);
}

TEST_F(BatchChoicesTest, CodecFailuresGiveTheLibrarysOwnMessage) {
    WriteBytes(path("text.jpg"), "no picture here");
    TBitmap bitmap;
    std::string reason;
    EXPECT_FALSE(LoadSourceFile(bitmap, path("text.jpg"), state_, host_, &reason));
    EXPECT_EQ(reason, "Not a JPEG file: starts with 0x6e 0x6f");
}

}  // namespace
