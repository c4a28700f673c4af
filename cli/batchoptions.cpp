#include "cli/batchoptions.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cctype>
#include <optional>
#include <thread>

#include "cli/batchoptiontable.h"
#include "codec/pictureformat.h"
#include "conversion/settingstable.h"
#include "platform/filestatus.h"
#include "platform/pathname.h"
#include "platform/profilefile.h"
#include "platform/programfile.h"
#include "platform/programplaces.h"

namespace {

bool ParseNumber(const std::string& text, int low, int high, int& value) {
    if (text.empty() || text.size() > 9 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    value = std::stoi(text);
    return value >= low && value <= high;
}

// The format -o's extension names, when thumbrix-batch writes it.
const PictureFormat* BatchFormatOfPath(const std::string& path) {
    for (const std::string_view known : BatchFormatNames())
        if (const PictureFormat* format = OutputFormatNamed(std::string(known));
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

// The main window's view of a settings file. An empty destination keeps the
// default. Returns why the file could not be read, else empty.
std::string ReadSettingsFile(const std::string& path, Settings& s) {
    const ProfileFile file(path);
    if (!file.readFailure().empty()) return file.readFailure();
    const std::string current = s.destination;
    s = ReadSettings(file);
    s.destination = s.destination.empty() ? current : WithSlash(s.destination);
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

constexpr const char* kNeedsValue = "needs a value";

// Stores an option's value in given. Returns why it is refused, else empty.
std::string TakeValue(const BatchOption& option, bool present, const std::string& text,
                      GivenOptions& given) {
    const std::string name(option.longName);
    int number = 0;
    uint32_t colour = 0;
    switch (option.kind) {
        case OptionKind::Number:
            if (!present || !ParseNumber(text, option.range.low, option.range.high, number))
                return name + " must be a whole number from " + std::to_string(option.range.low) +
                       " to " + std::to_string(option.range.high);
            given.*std::get<std::optional<int> GivenOptions::*>(option.field) = number;
            return {};
        case OptionKind::Choice:
            if (!present || std::find(option.choices.begin(), option.choices.end(), text) ==
                                option.choices.end()) {
                std::string words;
                for (size_t i = 0; i < option.choices.size(); ++i)
                    words.append(i == 0                           ? ""
                                 : i + 1 == option.choices.size() ? " or "
                                                                  : ", ")
                        .append(option.choices[i]);
                return name + " must be " + words;
            }
            given.*std::get<std::optional<std::string> GivenOptions::*>(option.field) = text;
            return {};
        case OptionKind::Colour:
            if (!present || !ParseColour(text, colour))
                return name + " must be a colour RRGGBB in hexadecimal";
            given.*std::get<std::optional<uint32_t> GivenOptions::*>(option.field) = colour;
            return {};
        case OptionKind::Name:
        case OptionKind::List:
            if (text.empty()) return kNeedsValue;
            [[fallthrough]];
        default:
            if (!present) return kNeedsValue;
            if (option.kind != OptionKind::List)
                given.*std::get<std::optional<std::string> GivenOptions::*>(option.field) = text;
            return {};
    }
}

// The settings file's values, then the command line's over them.
bool Settle(const GivenOptions& given, const std::string& programFile, BatchOptions& options,
            std::string& error) {
    Settings& s = options.settings;
    s.destination = CurrentFolder();
    if (!given.noSettings) {
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
    s.format = given.format ? OutputFormatNamed(*given.format) : nullptr;
    if (given.output) {
        const PictureFormat* named = BatchFormatOfPath(*given.output);
        if (named == nullptr)
            return Usage(error, "the extension of -o " + *given.output +
                                    " names no thumbnail format (.jpg, .jpeg, .png, .webp or "
                                    ".avif)");
        if (s.format != nullptr && s.format != named)
            return Usage(error, "-o " + *given.output + " is not a " + s.format->name +
                                    " file, as --format asks");
        s.format = named;
        s.output = *given.output;
    }
    options.quiet = given.quiet.value_or(false);
    options.recursive = given.recursive.value_or(false);
    options.nullSeparated = given.null.value_or(false);
    options.update = given.update.value_or(false);
    options.base = given.base.value_or("");
    options.reportFile = given.reportFile.value_or("");
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
    GivenOptions given;
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
        bool on = true;
        const BatchOption* option = FindBatchOption(name, on);
        if (option == nullptr) return Usage(error, "unknown option " + arg);
        if (!TakesValue(*option)) {
            if (inlineValue) return Usage(error, "option " + name + " takes no value");
            given.*std::get<std::optional<bool> GivenOptions::*>(option->field) = on;
            if (given.help) options.action = BatchOptions::Action::Help;
            if (given.version) options.action = BatchOptions::Action::Version;
            if (options.action != BatchOptions::Action::Run) return true;
            continue;
        }
        std::string text;
        const bool present = value(text);
        if (const std::string why = TakeValue(*option, present, text, given); !why.empty())
            return Usage(error, why == kNeedsValue ? "option " + name + " needs a value" : why);
        if (option->kind == OptionKind::List) options.lists.push_back({options.files.size(), text});
    }
    if (options.files.empty() && options.lists.empty()) return Usage(error, "no FILE given");
    if (given.output && options.files.size() + options.lists.size() > 1)
        return Usage(error, "-o FILE writes the thumbnail of a single source");
    return Settle(given, programFile, options, error);
}
