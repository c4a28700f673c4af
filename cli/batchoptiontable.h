#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "cli/batchoptions.h"
#include "conversion/settings.h"

enum class OptionKind {
    Switch,        // on or off, with a "--no-" form; takes no value
    Number,        // a whole number within range
    Text,          // any text, the empty one included
    Name,          // a text that is not empty
    List,          // a name list, kept in its place among the files
    Format,        // one of the thumbnail formats' choices
    Colour,        // RRGGBB in hexadecimal, "#" before it or not
    Output,        // the one thumbnail's name, its extension the format
    SettingsFile,  // where the defaults come from
    NoSettings,    // no settings file
    Help,
    Version,
};

enum class OptionGroup { Files, Thumbnails, Runs };

// How --help names a switch: "--name", "--no-name" or both.
enum class HelpNames { On, Off, Both };

// One option of thumbrix-batch: the parser, --help and the tests that hold
// the bash completion and the man page to it all read this.
struct BatchOption {
    OptionGroup group;
    std::string_view longName = {};  // without "--"
    char shortName = 0;              // 0: none
    OptionKind kind = OptionKind::Switch;
    // Where the value goes; the settings file's value lies under it.
    std::variant<std::monostate, bool Settings::*, int Settings::*, std::string Settings::*,
                 uint32_t Settings::*, const PictureFormat * Settings::*, bool BatchOptions::*,
                 int BatchOptions::*, std::string BatchOptions::*>
        field = {};
    bool inverted = false;                           // Switch: on turns the field off
    SettingRange range{0, 0};                        // Number
    std::span<const std::string_view> choices = {};  // Format
    std::string_view valueName = {};                 // --help's word for the value: "N", "DIR"
    // --help's lines, '\n' between them; "{range}" stands for the range, "{settings}"
    // for the settings file, "{extensions}" for those of the format table.
    std::string_view help = {};
    HelpNames helpNames = HelpNames::On;
};

std::span<const BatchOption> BatchOptionTable();

// The thumbnail formats --format names: "jpeg", "png", ...
std::span<const std::string_view> BatchFormatNames();

// Whether the option takes a value.
bool TakesValue(const BatchOption& option);

// The option a command-line name ("--size", "-s", "--no-progressive") stands
// for, with on false for a "--no-" form; null for none.
const BatchOption* FindBatchOption(std::string_view name, bool& on);
