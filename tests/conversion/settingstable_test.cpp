#include "conversion/settingstable.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <fstream>
#include <string>

#include "platform/profilefile.h"
#include "tests/support/filebytes.h"

namespace {

// A stored file with every key away from its default: a key read from the
// wrong section or under another spelling would give the default instead.
TEST(SettingsTable, ReadsEveryKeyOfAStoredFile) {
    const ProfileFile file(THUMBRIX_SOURCE_DIR "/tests/data/settings/every-key.ini");
    const Settings read = ReadSettings(file);
    const Settings defaults;
    for (const SettingKey& k : SettingsKeys())
        EXPECT_TRUE(std::visit([&](auto field) { return read.*field != defaults.*field; }, k.field))
            << k.section << "/" << k.key;
    EXPECT_EQ(read.windowLeft, 120);
    EXPECT_EQ(read.destination, "/home/ann/Thumbs/");
    EXPECT_EQ(read.loadFolder, "/home/ann/Pictures/");
    EXPECT_EQ(read.size, 96);
    EXPECT_EQ(read.quality, 85);
    EXPECT_FALSE(read.bestQuality);
    EXPECT_EQ(read.suffix, "_t");
    EXPECT_TRUE(read.allFormats);
}

// Written back, a stored file keeps its bytes, its own order of keys included.
TEST(SettingsTable, WritingWhatWasReadKeepsTheFile) {
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("thumbrix.ini")).toStdString();
    const std::string stored =
        ReadFileBytes(THUMBRIX_SOURCE_DIR "/tests/data/settings/every-key.ini");
    std::ofstream(path, std::ios::binary) << stored;
    ProfileFile file(path);
    WriteSettings(file, ReadSettings(file));
    EXPECT_EQ(ReadFileBytes(path), stored);
}

// A new file gets every key in the table's order; an unset preview folder
// is left out. Odd stored values fall back to the default or the range.
TEST(SettingsTable, NewFileBytesAndOddValues) {
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("thumbrix.ini")).toStdString();
    {
        ProfileFile file(path);
        Settings s;
        s.loadFolder.reset();
        s.size = 160;
        s.bestQuality = false;
        s.prefix = "サムネ_";
        s.destination = "/home/ann/Thumbs/";
        WriteSettings(file, s);
    }
    EXPECT_EQ(ReadFileBytes(path),
              "[WinPos]\nx=0\ny=0\n[FilePAth]\nSave=/home/ann/Thumbs/\n[IconImage]\nSize=160\n"
              "[JpegOption]\nQualityV=60\nQualityF=0\nSmoothing=0\nProgressive=0\n"
              "[FileName]\nA=サムネ_\nB=\n[Option]\nTimeStamp=0\nAutoOrient=1\nToSRGB=1\n"
              "AllFormats=0\n");

    const struct {
        const char* content;
        int size, quality, left;
    } rows[] = {
        {"[IconImage]\nSize=500\n[JpegOption]\nQualityV=5\n", 160, 20, 0},
        {"[IconImage]\nSize=8\n[JpegOption]\nQualityV=0x200\n", 32, 100, 0},
        {"[IconImage]\nSize=big\n[WinPos]\nx=-40\n", 32, 60, -40},
        {"[WinPos]\nx=left\n", 32, 60, 0},
    };
    for (const auto& row : rows) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << row.content;
        const Settings s = ReadSettings(ProfileFile(path));
        EXPECT_EQ(s.size, row.size) << row.content;
        EXPECT_EQ(s.quality, row.quality) << row.content;
        EXPECT_EQ(s.windowLeft, row.left) << row.content;
    }
}

// Files written before the photo settings existed lack them: both read as on.
TEST(SettingsTable, PhotoSettingsOfAnOlderFileReadAsOn) {
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("thumbrix.ini")).toStdString();
    std::ofstream(path) << "[Option]\nTimeStamp=1\n";
    const Settings s = ReadSettings(ProfileFile(path));
    EXPECT_TRUE(s.autoOrient);
    EXPECT_TRUE(s.toSrgb);
    EXPECT_FALSE(s.allFormats);  // the window's three only
    EXPECT_TRUE(s.keepDate);
    EXPECT_TRUE(s.bestQuality);
    EXPECT_EQ(s.size, 32);
    EXPECT_EQ(s.quality, 60);
}

}  // namespace
