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
#include "platform/overload.h"
#include "platform/pathname.h"
#include "platform/profilefile.h"
#include "platform/programfile.h"
#include "platform/programplaces.h"
#include "platform/wordlist.h"

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

// An option as the command line gave it, its value checked.
struct Taken {
    const BatchOption* option = nullptr;
    bool on = true;
    std::string text;
    int64_t number = 0;  // Number, Colour
};

constexpr const char* kNeedsValue = "needs a value";

// Checks the value of an option that takes one. Returns why it is refused,
// else empty.
std::string CheckValue(bool present, Taken& taken) {
    const BatchOption& option = *taken.option;
    const std::string name(option.longName);
    int number = 0;
    uint32_t colour = 0;
    switch (option.kind) {
        case OptionKind::Number:
            if (!present || !ParseNumber(taken.text, option.range.low, option.range.high, number))
                return name + " must be a whole number from " + std::to_string(option.range.low) +
                       " to " + std::to_string(option.range.high);
            taken.number = number;
            return {};
        case OptionKind::Format:
            if (!present || std::find(option.choices.begin(), option.choices.end(), taken.text) ==
                                option.choices.end())
                return name + " must be " + WordList(option.choices);
            return {};
        case OptionKind::Colour:
            if (!present || !ParseColour(taken.text, colour))
                return name + " must be a colour RRGGBB in hexadecimal";
            taken.number = colour;
            return {};
        case OptionKind::Name:
        case OptionKind::List:
        case OptionKind::Output:
            return present && !taken.text.empty() ? "" : kNeedsValue;
        default:
            return present ? "" : kNeedsValue;
    }
}

// Puts a given option's value where the table says, over the file's.
void Apply(const Taken& t, BatchOptions& options) {
    Settings& s = options.settings;
    std::visit(Overload{
                   [](std::monostate) {},
                   [&](bool Settings::*f) { s.*f = t.option->inverted ? !t.on : t.on; },
                   [&](bool BatchOptions::*f) { options.*f = t.on; },
                   [&](int Settings::*f) { s.*f = int(t.number); },
                   [&](int BatchOptions::*f) { options.*f = int(t.number); },
                   [&](uint32_t Settings::*f) { s.*f = uint32_t(t.number); },
                   [&](std::string Settings::*f) { s.*f = t.text; },
                   [&](std::string BatchOptions::*f) { options.*f = t.text; },
                   [&](const PictureFormat* Settings::*f) { s.*f = OutputFormatNamed(t.text); },
               },
               t.option->field);
}

// The settings file's values, then the command line's over them, in its order.
bool Settle(const std::vector<Taken>& taken, const std::string& programFile, BatchOptions& options,
            std::string& error) {
    Settings& s = options.settings;
    s.destination = CurrentFolder();
    options.jobs = DefaultJobs();
    std::optional<std::string> given;  // --settings
    bool none = false;                 // --no-settings
    for (const Taken& t : taken) {
        if (t.option->kind == OptionKind::SettingsFile) given = t.text;
        none = none || t.option->kind == OptionKind::NoSettings;
    }
    if (!none) {
        const std::string file = given.value_or(BatchSettingsFile(programFile));
        if (given && !IsExistingFile(file))
            return Usage(error, "settings file " + file + " cannot be read");
        if (IsExistingFile(file)) {
            if (const std::string why = ReadSettingsFile(file, s); !why.empty())
                return Usage(error, "settings file " + file + " cannot be read: " + why);
        }
    }
    for (const Taken& t : taken) Apply(t, options);
    s.destination = WithSlash(s.destination);
    if (!s.output.empty()) {
        const PictureFormat* named = BatchFormatOfPath(s.output);
        if (named == nullptr)
            return Usage(error, "the extension of -o " + s.output +
                                    " names no thumbnail format (.jpg, .jpeg, .png, .webp or "
                                    ".avif)");
        if (s.format != nullptr && s.format != named)
            return Usage(error, "-o " + s.output + " is not a " + s.format->name +
                                    " file, as --format asks");
        s.format = named;
    }
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
    std::vector<Taken> all;
    bool output = false;  // -o given
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
        Taken taken;
        taken.option = FindBatchOption(name, taken.on);
        if (taken.option == nullptr) return Usage(error, "unknown option " + arg);
        if (!TakesValue(*taken.option)) {
            if (inlineValue) return Usage(error, "option " + name + " takes no value");
        } else if (const std::string why = CheckValue(value(taken.text), taken); !why.empty()) {
            return Usage(error, why == kNeedsValue ? "option " + name + " needs a value" : why);
        }
        switch (taken.option->kind) {
            case OptionKind::Help:
                options.action = BatchOptions::Action::Help;
                return true;
            case OptionKind::Version:
                options.action = BatchOptions::Action::Version;
                return true;
            case OptionKind::List:
                options.lists.push_back({options.files.size(), taken.text});
                break;
            case OptionKind::Output:
                output = true;
                [[fallthrough]];
            default:
                all.push_back(std::move(taken));
        }
    }
    if (options.files.empty() && options.lists.empty()) return Usage(error, "no FILE given");
    if (output && options.files.size() + options.lists.size() > 1)
        return Usage(error, "-o FILE writes the thumbnail of a single source");
    return Settle(all, programFile, options, error);
}
