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
    const struct {
        Setting setting;
        const char* stored;
    } rows[] = {
        {Setting::WindowLeft, "120"},
        {Setting::WindowTop, "84"},
        {Setting::SaveFolder, "/home/ann/Thumbs/"},
        {Setting::LoadFolder, "/home/ann/Pictures/"},
        {Setting::ThumbnailSize, "96"},
        {Setting::JpegQuality, "85"},
        {Setting::BestQuality, "0"},
        {Setting::Smoothing, "1"},
        {Setting::Progressive, "1"},
        {Setting::NamePrefix, "s_"},
        {Setting::NameSuffix, "_t"},
        {Setting::KeepDate, "1"},
        {Setting::AutoOrient, "0"},
        {Setting::ToSrgb, "0"},
        {Setting::AllFormats, "1"},
    };
    for (const auto& r : rows) {
        const SettingEntry& entry = SettingInfo(r.setting);
        EXPECT_NE(entry.defaultValue, r.stored) << entry.key << ": the file must change it";
        EXPECT_EQ(ReadSettingText(file, r.setting), r.stored) << entry.section << "/" << entry.key;
    }
    EXPECT_EQ(ReadSettingInt(file, Setting::ThumbnailSize), 96);
    EXPECT_FALSE(ReadSettingBool(file, Setting::BestQuality));
    EXPECT_TRUE(ReadSettingBool(file, Setting::Progressive));
}

TEST(SettingsTable, MissingFileGivesTheDefaults) {
    QTemporaryDir dir;
    const ProfileFile file(dir.filePath(QStringLiteral("none.ini")).toStdString());
    EXPECT_EQ(ReadSettingInt(file, Setting::ThumbnailSize), 32);
    EXPECT_EQ(ReadSettingInt(file, Setting::JpegQuality), 60);
    EXPECT_TRUE(ReadSettingBool(file, Setting::BestQuality));
    EXPECT_FALSE(ReadSettingBool(file, Setting::KeepDate));
    EXPECT_EQ(ReadSettingText(file, Setting::SaveFolder), "");
}

TEST(SettingsTable, WrittenValuesReadBackAndOddValuesFallBack) {
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("thumbrix.ini")).toStdString();
    {
        ProfileFile file(path);
        WriteSetting(file, Setting::ThumbnailSize, 160);
        WriteSettingBool(file, Setting::BestQuality, false);
        WriteSettingBool(file, Setting::KeepDate, true);
        WriteSetting(file, Setting::NamePrefix, "サムネ_");
        WriteSetting(file, Setting::SaveFolder, "/home/ann/Thumbs/");
    }
    const std::string content = ReadFileBytes(path);
    EXPECT_EQ(content,
              "[IconImage]\nSize=160\n[JpegOption]\nQualityF=0\n[Option]\nTimeStamp=1\n"
              "[FileName]\nA=サムネ_\n[FilePAth]\nSave=/home/ann/Thumbs/\n");

    std::ofstream(path, std::ios::app) << "[WinPos]\nx=left\ny=0x20\n[JpegOption]\n";
    const ProfileFile file(path);
    EXPECT_EQ(ReadSettingInt(file, Setting::ThumbnailSize), 160);
    EXPECT_FALSE(ReadSettingBool(file, Setting::BestQuality));
    EXPECT_TRUE(ReadSettingBool(file, Setting::KeepDate));
    EXPECT_EQ(ReadSettingText(file, Setting::NamePrefix), "サムネ_");
    EXPECT_EQ(ReadSettingText(file, Setting::SaveFolder), "/home/ann/Thumbs/");
    EXPECT_EQ(ReadSettingInt(file, Setting::WindowLeft), 0);  // not a number
    EXPECT_EQ(ReadSettingInt(file, Setting::WindowTop), 32);
}

// Files written before the photo settings existed lack them: both read as on.
TEST(SettingsTable, PhotoSettingsOfAnOlderFileReadAsOn) {
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("thumbrix.ini")).toStdString();
    std::ofstream(path) << "[Option]\nTimeStamp=1\n";
    {
        const ProfileFile file(path);
        EXPECT_TRUE(ReadSettingBool(file, Setting::AutoOrient));
        EXPECT_TRUE(ReadSettingBool(file, Setting::ToSrgb));
        EXPECT_FALSE(ReadSettingBool(file, Setting::AllFormats));  // the window's three only
    }
    {
        ProfileFile file(path);
        WriteSettingBool(file, Setting::AutoOrient, false);
        WriteSettingBool(file, Setting::ToSrgb, false);
    }
    const std::string content = ReadFileBytes(path);
    EXPECT_EQ(content, "[Option]\nTimeStamp=1\nAutoOrient=0\nToSRGB=0\n");
    const ProfileFile file(path);
    EXPECT_FALSE(ReadSettingBool(file, Setting::AutoOrient));
    EXPECT_FALSE(ReadSettingBool(file, Setting::ToSrgb));
}

}  // namespace
