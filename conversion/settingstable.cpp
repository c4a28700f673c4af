#include "conversion/settingstable.h"

#include "platform/overload.h"
#include "platform/profilefile.h"

namespace {

// Spelled as the files already written have them, "FilePAth" included.
const SettingKey kKeys[] = {
    {"WinPos", "x", &Settings::windowLeft, std::nullopt},
    {"WinPos", "y", &Settings::windowTop, std::nullopt},
    {"FilePAth", "Load", &Settings::loadFolder, std::nullopt},
    {"FilePAth", "Save", &Settings::destination, std::nullopt},
    {"IconImage", "Size", &Settings::size, Settings::kSizeRange},
    {"JpegOption", "QualityV", &Settings::quality, Settings::kQualityRange},
    {"JpegOption", "QualityF", &Settings::bestQuality, std::nullopt},
    {"JpegOption", "Smoothing", &Settings::smoothing, std::nullopt},
    {"JpegOption", "Progressive", &Settings::progressive, std::nullopt},
    {"FileName", "A", &Settings::prefix, std::nullopt},
    {"FileName", "B", &Settings::suffix, std::nullopt},
    {"Option", "TimeStamp", &Settings::keepDate, std::nullopt},
    // Newer keys: files without them read as on.
    {"Option", "AutoOrient", &Settings::autoOrient, std::nullopt},
    {"Option", "ToSRGB", &Settings::toSrgb, std::nullopt},
    // Off in files without it: the window keeps to its three extensions.
    {"Option", "AllFormats", &Settings::allFormats, std::nullopt},
};

}  // namespace

std::span<const SettingKey> SettingsKeys() {
    return kKeys;
}

Settings ReadSettings(const ProfileFile& file) {
    Settings s;
    for (const SettingKey& k : kKeys) {
        std::visit(
            Overload{
                [&](int Settings::*f) {
                    const int value = file.readInteger(k.section, k.key, s.*f);
                    s.*f = k.range ? k.range->clamp(value) : value;
                },
                [&](bool Settings::*f) {
                    s.*f = file.readInteger(k.section, k.key, s.*f ? 1 : 0) != 0;
                },
                [&](std::string Settings::*f) { s.*f = file.readString(k.section, k.key, s.*f); },
                [&](std::optional<std::string> Settings::*f) {
                    s.*f = file.readString(k.section, k.key, (s.*f).value_or(""));
                },
            },
            k.field);
    }
    return s;
}

void WriteSettings(ProfileFile& file, const Settings& s) {
    file.holdWrites();
    for (const SettingKey& k : kKeys) {
        std::optional<std::string> text;
        std::visit(Overload{
                       [&](int Settings::*f) { text = std::to_string(s.*f); },
                       [&](bool Settings::*f) { text = s.*f ? "1" : "0"; },
                       [&](std::string Settings::*f) { text = s.*f; },
                       [&](std::optional<std::string> Settings::*f) { text = s.*f; },
                   },
                   k.field);
        if (text) file.writeString(k.section, k.key, *text);
    }
    file.commitWrites();
}
