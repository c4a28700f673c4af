#include "conversion/settingstable.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <fstream>
#include <set>
#include <string>

#include "platform/profilefile.h"

namespace {

TEST(SettingsTable, SectionsKeysAndDefaultsAsStored) {
    const struct {
        Setting setting;
        const char* section;
        const char* key;
        SettingType type;
        const char* value;
    } rows[] = {
        {Setting::WindowLeft, "WinPos", "x", SettingType::Integer, "0"},
        {Setting::WindowTop, "WinPos", "y", SettingType::Integer, "0"},
        {Setting::SaveFolder, "FilePAth", "Save", SettingType::Text, ""},
        {Setting::LoadFolder, "FilePAth", "Load", SettingType::Text, ""},
        {Setting::ThumbnailSize, "IconImage", "Size", SettingType::Integer, "32"},
        {Setting::JpegQuality, "JpegOption", "QualityV", SettingType::Integer, "60"},
        {Setting::BestQuality, "JpegOption", "QualityF", SettingType::Boolean, "1"},
        {Setting::Smoothing, "JpegOption", "Smoothing", SettingType::Boolean, "0"},
        {Setting::Progressive, "JpegOption", "Progressive", SettingType::Boolean, "0"},
        {Setting::NamePrefix, "FileName", "A", SettingType::Text, ""},
        {Setting::NameSuffix, "FileName", "B", SettingType::Text, ""},
        {Setting::KeepDate, "Option", "TimeStamp", SettingType::Boolean, "0"},
        {Setting::AutoOrient, "Option", "AutoOrient", SettingType::Boolean, "1"},
        {Setting::ToSrgb, "Option", "ToSRGB", SettingType::Boolean, "1"},
    };
    ASSERT_EQ(SettingsTable().size(), std::size(rows));
    std::set<Setting> seen;
    for (const auto& r : rows) {
        const SettingEntry& entry = SettingInfo(r.setting);
        EXPECT_EQ(entry.section, r.section);
        EXPECT_EQ(entry.key, r.key);
        EXPECT_EQ(entry.type, r.type);
        EXPECT_EQ(entry.defaultValue, r.value);
        seen.insert(entry.setting);
    }
    EXPECT_EQ(seen.size(), std::size(rows));
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
    std::ifstream in(path);
    const std::string content{std::istreambuf_iterator<char>(in), {}};
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
    }
    {
        ProfileFile file(path);
        WriteSettingBool(file, Setting::AutoOrient, false);
        WriteSettingBool(file, Setting::ToSrgb, false);
    }
    std::ifstream in(path);
    const std::string content{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(content, "[Option]\nTimeStamp=1\nAutoOrient=0\nToSRGB=0\n");
    const ProfileFile file(path);
    EXPECT_FALSE(ReadSettingBool(file, Setting::AutoOrient));
    EXPECT_FALSE(ReadSettingBool(file, Setting::ToSrgb));
}

}  // namespace
