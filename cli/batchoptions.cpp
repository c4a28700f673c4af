#include "cli/batchoptions.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cctype>
#include <optional>
#include <thread>

#include "codec/pictureformat.h"
#include "conversion/settingstable.h"
#include "platform/filestatus.h"
#include "platform/pathname.h"
#include "platform/profilefile.h"
#include "platform/programfile.h"
#include "platform/programplaces.h"

namespace {

// What the command line gave; unset values come from the settings file.
struct Given {
    std::optional<std::string> destination, prefix, suffix, settingsFile, output;
    const PictureFormat* format = nullptr;
    std::optional<int> size, quality, jobs;
    std::optional<bool> progressive, keepDate, fastDecode, smoothing, optimize, draft;
    std::optional<bool> autoOrient, toSrgb, enlarge;
    std::optional<uint32_t> background;
    std::optional<bool> quiet, recursive, null, update, settings;  // settings: read any file
};

// The on/off options; each also has a "--no-" form.
struct Switch {
    const char* name;
    char shortName;  // 0: none
    std::optional<bool> Given::*value;
};
constexpr Switch kSwitches[] = {
    {"progressive", 0, &Given::progressive}, {"keep-date", 0, &Given::keepDate},
    {"fast-decode", 0, &Given::fastDecode},  {"smoothing", 0, &Given::smoothing},
    {"auto-orient", 0, &Given::autoOrient},  {"srgb", 0, &Given::toSrgb},
    {"optimize", 0, &Given::optimize},       {"draft", 0, &Given::draft},
    {"enlarge", 0, &Given::enlarge},         {"quiet", 0, &Given::quiet},
    {"recursive", 'r', &Given::recursive},   {"null", '0', &Given::null},
    {"update", 0, &Given::update},
};

bool ParseNumber(const std::string& text, int low, int high, int& value) {
    if (text.empty() || text.size() > 9 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    value = std::stoi(text);
    return value >= low && value <= high;
}

// The formats thumbrix-batch writes, by the names --format takes.
constexpr const char* kOutputNames[] = {"jpeg", "png", "webp", "avif"};

const PictureFormat* BatchFormatNamed(const std::string& name) {
    for (const char* known : kOutputNames)
        if (name == known) return OutputFormatNamed(name);
    return nullptr;
}

// The format -o's extension names, when thumbrix-batch writes it.
const PictureFormat* BatchFormatOfPath(const std::string& path) {
    for (const char* known : kOutputNames)
        if (const PictureFormat* format = OutputFormatNamed(known);
            format != nullptr && OutputFormatOfPath(path) == format)
            return format;
    return nullptr;
}

// "RRGGBB", with or without a leading "#".
bool ParseColour(std::string text, uint32_t& colour) {
    if (!text.empty() && text[0] == '#') text.erase(0, 1);
    if (text.size() != 6 || !std::all_of(text.begin(), text.end(), [](char c) {
            return std::isxdigit(static_cast<unsigned char>(c)) != 0;
        }))
        return false;
    colour = uint32_t(std::stoul(text, nullptr, 16));
    return true;
}

// The main window's view of a settings file: its spin edits hold size and
// quality to their ranges. An empty destination keeps the default. Returns
// why the file could not be read, else empty.
std::string ReadSettingsFile(const std::string& path, BatchSettings& s) {
    const ProfileFile file(path);
    if (!file.readFailure().empty()) return file.readFailure();
    s.size = std::clamp(ReadSettingInt(file, Setting::ThumbnailSize), 32, 160);
    s.quality = std::clamp(ReadSettingInt(file, Setting::JpegQuality), 20, 100);
    s.bestQuality = ReadSettingBool(file, Setting::BestQuality);
    s.smoothing = ReadSettingBool(file, Setting::Smoothing);
    s.progressive = ReadSettingBool(file, Setting::Progressive);
    s.keepDate = ReadSettingBool(file, Setting::KeepDate);
    s.autoOrient = ReadSettingBool(file, Setting::AutoOrient);
    s.toSrgb = ReadSettingBool(file, Setting::ToSrgb);
    s.prefix = ReadSettingText(file, Setting::NamePrefix);
    s.suffix = ReadSettingText(file, Setting::NameSuffix);
    if (std::string stored = ReadSettingText(file, Setting::SaveFolder); !stored.empty())
        s.destination = WithSlash(stored);
    return {};
}

// As command-line tools do, thumbnails go to the current folder by default.
std::string CurrentFolder() {
    return WithSlash(QFile::encodeName(QDir::currentPath()).toStdString());
}

int DefaultJobs() {
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

bool Usage(std::string& error, const std::string& text) {
    error = text;
    return false;
}

const Switch* FindSwitch(const std::string& name, bool& on) {
    for (const Switch& s : kSwitches) {
        const std::string longName = std::string("--") + s.name;
        if (name == longName || (s.shortName != 0 && name == std::string{'-', s.shortName})) {
            on = true;
            return &s;
        }
        if (name == "--no-" + std::string(s.name)) {
            on = false;
            return &s;
        }
    }
    return nullptr;
}

// The settings file's values, then the command line's over them.
bool Settle(const Given& given, const std::string& programFile, BatchOptions& options,
            std::string& error) {
    BatchSettings& s = options.settings;
    s.destination = CurrentFolder();
    if (given.settings.value_or(true)) {
        std::string file = given.settingsFile.value_or(BatchSettingsFile(programFile));
        if (given.settingsFile && !IsExistingFile(file))
            return Usage(error, "settings file " + file + " cannot be read");
        if (IsExistingFile(file)) {
            if (const std::string why = ReadSettingsFile(file, s); !why.empty())
                return Usage(error, "settings file " + file + " cannot be read: " + why);
        }
    }
    if (given.destination) s.destination = WithSlash(*given.destination);
    if (given.size) s.size = *given.size;
    if (given.quality) s.quality = *given.quality;
    if (given.prefix) s.prefix = *given.prefix;
    if (given.suffix) s.suffix = *given.suffix;
    s.progressive = given.progressive.value_or(s.progressive);
    s.keepDate = given.keepDate.value_or(s.keepDate);
    s.smoothing = given.smoothing.value_or(s.smoothing);
    if (given.fastDecode) s.bestQuality = !*given.fastDecode;
    s.autoOrient = given.autoOrient.value_or(s.autoOrient);
    s.toSrgb = given.toSrgb.value_or(s.toSrgb);
    s.optimize = given.optimize.value_or(false);
    s.draft = given.draft.value_or(false);
    s.enlarge = given.enlarge.value_or(true);
    s.background = given.background.value_or(0xffffff);
    s.format = given.format;
    if (given.output) {
        const PictureFormat* named = BatchFormatOfPath(*given.output);
        if (named == nullptr)
            return Usage(error, "the extension of -o " + *given.output +
                                    " names no thumbnail format (.jpg, .jpeg, .png, .webp or "
                                    ".avif)");
        if (given.format != nullptr && given.format != named)
            return Usage(error, "-o " + *given.output + " is not a " + given.format->name +
                                    " file, as --format asks");
        s.format = named;
        s.output = *given.output;
    }
    options.quiet = given.quiet.value_or(false);
    options.recursive = given.recursive.value_or(false);
    options.nullSeparated = given.null.value_or(false);
    options.update = given.update.value_or(false);
    options.jobs = given.jobs.value_or(DefaultJobs());
    return true;
}

}  // namespace

std::string BatchSettingsFile(const std::string& programFile) {
    // The window's settings: those of "thumbrix" in the same folder.
    return SettingsFilePath(FolderOf(programFile) + "thumbrix");
}

bool ParseBatchOptions(const std::vector<std::string>& arguments, const std::string& programFile,
                       BatchOptions& options, std::string& error) {
    options = BatchOptions();
    Given given;
    bool filesOnly = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& arg = arguments[i];
        if (filesOnly || arg.size() < 2 || arg[0] != '-') {
            options.files.push_back(arg);
            continue;
        }
        if (arg == "--") {
            filesOnly = true;
            continue;
        }
        // "--name=value", "--name value", "-x value" and "-xvalue".
        std::string name = arg;
        std::optional<std::string> inlineValue;
        if (arg.rfind("--", 0) == 0) {
            const auto equals = arg.find('=');
            if (equals != std::string::npos) {
                name = arg.substr(0, equals);
                inlineValue = arg.substr(equals + 1);
            }
        } else if (arg.size() > 2) {
            name = arg.substr(0, 2);
            inlineValue = arg.substr(2);
        }
        auto value = [&](std::string& out) {
            if (inlineValue) {
                out = *inlineValue;
                return true;
            }
            if (i + 1 >= arguments.size()) return false;
            out = arguments[++i];
            return true;
        };
        std::string text;
        int number = 0;
        bool ok = true;
        bool on = false;
        if (const Switch* s = FindSwitch(name, on)) {
            ok = !inlineValue.has_value();
            given.*(s->value) = on;
        } else if (name == "-d" || name == "--dest") {
            ok = value(text);
            given.destination = text;
        } else if (name == "-s" || name == "--size") {
            if (!value(text) || !ParseNumber(text, 1, 4096, number))
                return Usage(error, "size must be a whole number from 1 to 4096");
            given.size = number;
        } else if (name == "-q" || name == "--quality") {
            if (!value(text) || !ParseNumber(text, 20, 100, number))
                return Usage(error, "quality must be a whole number from 20 to 100");
            given.quality = number;
        } else if (name == "-j" || name == "--jobs") {
            if (!value(text) || !ParseNumber(text, 1, 1024, number))
                return Usage(error, "jobs must be a whole number from 1 to 1024");
            given.jobs = number;
        } else if (name == "--format") {
            if (!value(text) || (given.format = BatchFormatNamed(text)) == nullptr)
                return Usage(error, "format must be jpeg, png, webp or avif");
        } else if (name == "-o" || name == "--output") {
            ok = value(text) && !text.empty();
            given.output = text;
        } else if (name == "--background") {
            uint32_t colour = 0;
            if (!value(text) || !ParseColour(text, colour))
                return Usage(error, "background must be a colour RRGGBB in hexadecimal");
            given.background = colour;
        } else if (name == "--prefix") {
            ok = value(text);
            given.prefix = text;
        } else if (name == "--suffix") {
            ok = value(text);
            given.suffix = text;
        } else if (name == "--settings") {
            ok = value(text);
            given.settingsFile = text;
        } else if (name == "--no-settings") {
            ok = !inlineValue.has_value();
            given.settings = false;
        } else if (name == "--files-from") {
            ok = value(text) && !text.empty();
            options.lists.push_back({options.files.size(), text});
        } else if (name == "--base") {
            ok = value(text) && !text.empty();
            options.base = text;
        } else if (name == "--report") {
            ok = value(text) && !text.empty();
            options.reportFile = text;
        } else if ((name == "--help" || name == "-h") && !inlineValue) {
            options.action = BatchOptions::Action::Help;
            return true;
        } else if ((name == "--version" || name == "-V") && !inlineValue) {
            options.action = BatchOptions::Action::Version;
            return true;
        } else {
            return Usage(error, "unknown option " + arg);
        }
        if (!ok)
            return Usage(error,
                         "option " + name + (inlineValue ? " takes no value" : " needs a value"));
    }
    if (options.files.empty() && options.lists.empty()) return Usage(error, "no FILE given");
    if (given.output && options.files.size() + options.lists.size() > 1)
        return Usage(error, "-o FILE writes the thumbnail of a single source");
    return Settle(given, programFile, options, error);
}
