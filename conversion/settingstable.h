#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "conversion/settings.h"

class ProfileFile;

// The settings file's keys, in the order a new file gets them: which field of
// Settings each holds. Reading and writing both go through this table.
struct SettingKey {
    std::string_view section;
    std::string_view key;
    // Booleans are stored as integers: anything but 0 reads as true.
    std::variant<int Settings::*, bool Settings::*, std::string Settings::*,
                 std::optional<std::string> Settings::*>
        field;
    std::optional<SettingRange> range;  // numbers read are held to it
};

std::span<const SettingKey> SettingsKeys();

// The stored values; a missing key (or, for numbers, not a number) gives the
// default of Settings.
Settings ReadSettings(const ProfileFile& file);

// Every key, in one replacement of the file, integers in decimal, booleans
// as "1" or "0"; an unset loadFolder is left as the file has it. Throws
// ProfileWriteError.
void WriteSettings(ProfileFile& file, const Settings& settings);
