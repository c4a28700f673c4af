#include "conversion/settingstable.h"

#include <stdexcept>

#include "platform/profilefile.h"

namespace {

// Spelled as the files already written have them, "FilePAth" included.
constexpr SettingEntry kTable[] = {
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
    // Newer keys: files without them read as on.
    {Setting::AutoOrient, "Option", "AutoOrient", SettingType::Boolean, "1"},
    {Setting::ToSrgb, "Option", "ToSRGB", SettingType::Boolean, "1"},
    // Off in files without it: the window keeps to its three extensions.
    {Setting::AllFormats, "Option", "AllFormats", SettingType::Boolean, "0"},
};

int DefaultNumber(const SettingEntry& entry) {
    int value = 0;
    ParseProfileInteger(entry.defaultValue, value);
    return value;
}

}  // namespace

std::span<const SettingEntry> SettingsTable() {
    return kTable;
}

const SettingEntry& SettingInfo(Setting setting) {
    for (const SettingEntry& entry : kTable)
        if (entry.setting == setting) return entry;
    throw std::logic_error("setting missing from the table");
}

std::string ReadSettingText(const ProfileFile& file, Setting setting) {
    const SettingEntry& entry = SettingInfo(setting);
    return file.readString(entry.section, entry.key, entry.defaultValue);
}

int ReadSettingInt(const ProfileFile& file, Setting setting) {
    const SettingEntry& entry = SettingInfo(setting);
    return file.readInteger(entry.section, entry.key, DefaultNumber(entry));
}

bool ReadSettingBool(const ProfileFile& file, Setting setting) {
    return ReadSettingInt(file, setting) != 0;
}

void WriteSetting(ProfileFile& file, Setting setting, std::string_view text) {
    const SettingEntry& entry = SettingInfo(setting);
    file.writeString(entry.section, entry.key, text);
}

void WriteSetting(ProfileFile& file, Setting setting, int value) {
    WriteSetting(file, setting, std::to_string(value));
}

void WriteSettingBool(ProfileFile& file, Setting setting, bool value) {
    WriteSetting(file, setting, value ? "1" : "0");
}
