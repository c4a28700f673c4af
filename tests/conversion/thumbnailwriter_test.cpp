#include "conversion/thumbnailwriter.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <ctime>

#include "codec/pictureformat.h"
#include "conversion/runstate.h"
#include "image/bitmap.h"
#include "tests/conversion/conversiontesthost.h"
#include "tests/support/imagecompare.h"
#include "tests/support/tempfolder.h"

namespace {

class ThumbnailWriterTest : public TempFolderTest {
protected:
    void write(const std::string& file) { WriteThumbnail(thumb_, file, state_, host_); }

    TestHost host_;
    RunState state_;
    TBitmap thumb_ = TestPicture(32, 24, 3);
};

// The first quantisation table and the frame type of a JPEG file.
struct JpegMarkers {
    std::vector<int> table;
    bool progressive = false;
    bool baseline = false;
};

JpegMarkers ReadMarkers(const std::string& bytes) {
    JpegMarkers markers;
    auto at = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    for (size_t i = 2; i + 4 < bytes.size();) {
        if (at(i) != 0xFF) break;
        const int marker = at(i + 1);
        const size_t length = size_t(at(i + 2)) << 8 | at(i + 3);
        if (marker == 0xDB && markers.table.empty() && i + 5 + 64 <= bytes.size())
            for (size_t k = 0; k < 64; ++k) markers.table.push_back(at(i + 5 + k));
        if (marker == 0xC0) markers.baseline = true;
        if (marker == 0xC2) markers.progressive = true;
        if (marker == 0xDA) break;
        i += 2 + length;
    }
    return markers;
}

TEST_F(ThumbnailWriterTest, BmpExtensionWritesAnUncompressed24BitFile) {
    write(path("x.BMP"));
    const std::string bytes = ReadFileBytes(path("x.BMP"));
    ASSERT_GT(bytes.size(), 54u);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(bytes[28], 24);  // bits per pixel
    EXPECT_EQ(bytes[30], 0);   // no compression
    const QImage back(QString::fromStdString(path("x.BMP")));
    EXPECT_TRUE(SameBitmap(TBitmap(back), thumb_));
}

TEST_F(ThumbnailWriterTest, JpegTakesQualityAndProgressiveButNotTheDecodeOptions) {
    host_.settings.quality = 100;
    write(path("q100.jpg"));
    const JpegMarkers best = ReadMarkers(ReadFileBytes(path("q100.jpg")));
    EXPECT_EQ(best.table, std::vector<int>(64, 1));
    EXPECT_TRUE(best.baseline);

    host_.settings.quality = 20;
    host_.settings.progressive = true;
    write(path("q20.JPEG"));
    const JpegMarkers low = ReadMarkers(ReadFileBytes(path("q20.JPEG")));
    ASSERT_EQ(low.table.size(), 64u);
    EXPECT_EQ(low.table[0], 40);  // 16 x 250 %
    EXPECT_TRUE(low.progressive);
    EXPECT_FALSE(low.baseline);

    host_.settings.quality = 60;
    host_.settings.progressive = false;
    write(path("a.jpg"));
    host_.settings.bestQuality = false;
    host_.settings.smoothing = true;
    write(path("b.jpg"));
    EXPECT_EQ(ReadFileBytes(path("a.jpg")), ReadFileBytes(path("b.jpg")));
    const QImage back(QString::fromStdString(path("a.jpg")));
    EXPECT_EQ(back.width(), 32);
    EXPECT_EQ(back.height(), 24);
}

TEST_F(ThumbnailWriterTest, OtherExtensionsWriteNothingAndTouchNothing) {
    WriteBytes(path("x.png"), "someone's picture");
    SetModified(path("x.png"), LocalTime(2001, 1, 1, 0, 0, 0));
    host_.settings.keepDate = true;
    state_.SourceFileAge = 0x58B15000;
    EXPECT_NO_THROW(write(path("x.png")));
    EXPECT_NO_THROW(write(path("y.png")));
    EXPECT_NO_THROW(write(path("noext")));
    EXPECT_EQ(ReadFileBytes(path("x.png")), "someone's picture");
    EXPECT_EQ(Modified(path("x.png")), LocalTime(2001, 1, 1, 0, 0, 0));
    EXPECT_EQ(entries(), QStringList{QStringLiteral("x.png")});
}

// Another format is written only for a host that asks for it, and only
// under its own extension.
TEST_F(ThumbnailWriterTest, AHostsOutputFormatIsWrittenByItsExtension) {
    const struct {
        const char* format;
        const char* name;
        const char* mark;  // null: nothing written
        size_t at;         // where the mark stands
    } rows[] = {
        {"png", "a.png", "\x89PNG", 0},    {"png", "b.PNG", "\x89PNG", 0},
        {"png", "c.webp", nullptr, 0},     {"webp", "d.webp", "WEBP", 8},
        {"avif", "e.avif", "ftypavif", 4}, {"png", "f.jpg", "\xFF\xD8", 0},
        {"webp", "g.bmp", "BM", 0},
    };
    for (const auto& row : rows) {
        host_.settings.format = OutputFormatNamed(row.format);
        write(path(row.name));
        const bool written = QFile::exists(QString::fromStdString(path(row.name)));
        EXPECT_EQ(written, row.mark != nullptr) << row.name;
        if (written) {
            const std::string mark = row.mark;
            EXPECT_EQ(ReadFileBytes(path(row.name)).substr(row.at, mark.size()), mark) << row.name;
        }
    }
}

TEST_F(ThumbnailWriterTest, KeepDateGivesTheSourceTimeOnlyWhenChecked) {
    state_.SourceFileAge = 0x58B15000;  // 2024-05-17 10:00:00
    host_.settings.keepDate = true;
    write(path("kept.jpg"));
    write(path("kept.bmp"));
    EXPECT_EQ(Modified(path("kept.jpg")), LocalTime(2024, 5, 17, 10, 0, 0));
    EXPECT_EQ(Modified(path("kept.bmp")), LocalTime(2024, 5, 17, 10, 0, 0));

    const time_t before = time(nullptr);
    host_.settings.keepDate = false;
    write(path("now.jpg"));
    host_.settings.keepDate = true;
    state_.SourceFileAge = 0;  // no source loaded yet: not a date, silently ignored
    write(path("nodate.jpg"));
    const time_t after = FineNow();
    for (const char* name : {"now.jpg", "nodate.jpg"}) {
        EXPECT_GE(Modified(path(name)), before) << name;
        EXPECT_LE(Modified(path(name)), after) << name;
    }
}

TEST_F(ThumbnailWriterTest, FailureRaisesTheFileLayerError) {
    const std::string file = path("missing-folder/a.jpg");
    try {
        write(file);
        FAIL() << "no error";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(std::string(e.what()), "ファイル " + file + " を作成できません");
        const auto* detailed = dynamic_cast<const ThumbnailCreateError*>(&e);
        ASSERT_NE(detailed, nullptr);
        EXPECT_FALSE(detailed->reason().empty());
    }
    EXPECT_TRUE(entries().isEmpty());
}

}  // namespace
