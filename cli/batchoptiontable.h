#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "conversion/settings.h"

// What the command line gave; unset values come from the settings file or
// the built-in defaults.
struct GivenOptions {
    std::optional<std::string> destination, prefix, suffix, settingsFile, output, format;
    std::optional<std::string> base, reportFile;
    std::optional<int> size, quality, jobs;
    std::optional<bool> progressive, keepDate, fastDecode, smoothing, optimize, draft;
    std::optional<bool> autoOrient, toSrgb, enlarge;
    std::optional<uint32_t> background;
    std::optional<bool> quiet, recursive, null, update, noSettings, help, version;
};

enum class OptionKind {
    Switch,  // on or off, with a "--no-" form; takes no value
    Flag,    // takes no value and has no "--no-" form
    Number,  // a whole number within range
    Text,    // any text, the empty one included
    Name,    // a text that is not empty
    List,    // a name list, kept in its place among the files
    Choice,  // one of the choices
    Colour,  // RRGGBB in hexadecimal, "#" before it or not
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
    std::variant<std::monostate, std::optional<bool> GivenOptions::*,
                 std::optional<int> GivenOptions::*, std::optional<std::string> GivenOptions::*,
                 std::optional<uint32_t> GivenOptions::*>
        field = {};
    SettingRange range{0, 0};                        // Number
    std::span<const std::string_view> choices = {};  // Choice
    std::string_view valueName = {};                 // --help's word for the value: "N", "DIR"
    // --help's lines, '\n' between them; "{range}" stands for the range, "{settings}"
    // for the settings file.
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
