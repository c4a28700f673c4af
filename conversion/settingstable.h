#pragma once

#include <span>
#include <string>
#include <string_view>

class ProfileFile;

// The settings file's keys: one table of section, key, type and default, which
// both reading and writing go through.
enum class Setting {
    WindowLeft,
    WindowTop,
    SaveFolder,  // destination folder; empty means the default folder
    LoadFolder,  // the preview window's folder; empty means the default folder
    ThumbnailSize,
    JpegQuality,
    BestQuality,
    Smoothing,
    Progressive,
    NamePrefix,
    NameSuffix,
    KeepDate,
    AutoOrient,  // turn photos upright by their EXIF Orientation
    ToSrgb,      // convert photos tagged with an ICC profile to sRGB
    AllFormats,  // the window takes every format the table reads, not only its three
};

enum class SettingType { Integer, Boolean, Text };

struct SettingEntry {
    Setting setting;
    std::string_view section;
    std::string_view key;
    SettingType type;
    std::string_view defaultValue;  // as stored: decimal, "1"/"0", or text
};

std::span<const SettingEntry> SettingsTable();
const SettingEntry& SettingInfo(Setting setting);

// Stored values, or the table's default when missing (or, for numbers, not a
// number). Booleans are integers: anything but 0 is true.
std::string ReadSettingText(const ProfileFile& file, Setting setting);
int ReadSettingInt(const ProfileFile& file, Setting setting);
bool ReadSettingBool(const ProfileFile& file, Setting setting);

// Integers in decimal, booleans as "1" or "0". Throws ProfileWriteError.
void WriteSetting(ProfileFile& file, Setting setting, std::string_view text);
void WriteSetting(ProfileFile& file, Setting setting, int value);
void WriteSettingBool(ProfileFile& file, Setting setting, bool value);
