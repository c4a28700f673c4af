#include "cli/batchoptions.h"

#include <algorithm>
#include <optional>
#include <thread>

#include "conversion/settingstable.h"
#include "platform/filestatus.h"
#include "platform/profilefile.h"
#include "platform/programfile.h"

namespace {

// What the command line gave; unset values come from the settings file.
struct Given {
    std::optional<std::string> destination, prefix, suffix, settingsFile;
    std::optional<int> size, quality, jobs;
    bool progressive = false, keepDate = false, fastDecode = false, smoothing = false;
    std::optional<bool> autoOrient, toSrgb;
};

bool ParseNumber(const std::string& text, int low, int high, int& value) {
    if (text.empty() || text.size() > 9 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    value = std::stoi(text);
    return value >= low && value <= high;
}

std::string WithSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder;
}

// The main window's view of a settings file: its spin edits hold size and
// quality to their ranges, an empty destination is the program's folder.
void ReadSettingsFile(const std::string& path, const std::string& programFile, BatchSettings& s) {
    const ProfileFile file(path);
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
    s.destination = WithSlash(ReadSettingText(file, Setting::SaveFolder));
    if (s.destination.empty()) s.destination = FolderOf(programFile);
}

int DefaultJobs() {
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

bool Usage(std::string& error, const std::string& text) {
    error = text;
    return false;
}

}  // namespace

std::string BatchUsage() {
    return "Usage: thumbrix-batch [options] FILE...\n"
           "Converts each FILE (BMP or JPEG) into a JPEG thumbnail in the destination\n"
           "folder, named prefix + name + suffix, as the Thumbrix window does.\n"
           "\n"
           "  -d, --dest DIR       destination folder (default: the settings file's,\n"
           "                       else the program's folder)\n"
           "  -s, --size N         longer side of a thumbnail, 1 to 4096 (default 32)\n"
           "  -q, --quality N      JPEG quality, 20 to 100 (default 60)\n"
           "      --progressive    write progressive JPEG files\n"
           "      --prefix TEXT    put TEXT before each name\n"
           "      --suffix TEXT    put TEXT after each name\n"
           "      --keep-date      give each thumbnail its source's modification time\n"
           "      --fast-decode    decode JPEG sources with the fast inverse DCT\n"
           "      --smoothing      block smoothing when decoding incomplete progressive files\n"
           "      --auto-orient, --no-auto-orient\n"
           "                       turn JPEG photos upright by their EXIF Orientation, or\n"
           "                       not (default on, or the settings file's AutoOrient)\n"
           "      --srgb, --no-srgb\n"
           "                       convert JPEG photos with an ICC profile to sRGB, or\n"
           "                       not (default on, or the settings file's ToSRGB)\n"
           "      --settings FILE  take the defaults from a Thumbrix settings file\n"
           "                       (without it: thumbrix.ini beside the program, if any)\n"
           "  -j, --jobs N         files converted at once (default: the processors)\n"
           "      --quiet          no progress line\n"
           "      --help           show this text\n"
           "      --version        show the version\n"
           "\n"
           "Exit status: 0 all converted, 1 some skipped or failed, 2 usage error or\n"
           "missing destination.\n";
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
        auto flag = [&](bool& out) {
            out = true;
            return !inlineValue.has_value();
        };
        auto onOff = [&](std::optional<bool>& out, bool on) {
            out = on;
            return !inlineValue.has_value();
        };
        std::string text;
        int number = 0;
        bool ok = true;
        if (name == "-d" || name == "--dest") {
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
        } else if (name == "--prefix") {
            ok = value(text);
            given.prefix = text;
        } else if (name == "--suffix") {
            ok = value(text);
            given.suffix = text;
        } else if (name == "--settings") {
            ok = value(text);
            given.settingsFile = text;
        } else if (name == "--progressive") {
            ok = flag(given.progressive);
        } else if (name == "--keep-date") {
            ok = flag(given.keepDate);
        } else if (name == "--fast-decode") {
            ok = flag(given.fastDecode);
        } else if (name == "--smoothing") {
            ok = flag(given.smoothing);
        } else if (name == "--auto-orient" || name == "--no-auto-orient") {
            ok = onOff(given.autoOrient, name == "--auto-orient");
        } else if (name == "--srgb" || name == "--no-srgb") {
            ok = onOff(given.toSrgb, name == "--srgb");
        } else if (name == "--quiet") {
            ok = flag(options.quiet);
        } else if (name == "--help" && !inlineValue) {
            options.action = BatchOptions::Action::Help;
            return true;
        } else if (name == "--version" && !inlineValue) {
            options.action = BatchOptions::Action::Version;
            return true;
        } else {
            return Usage(error, "unknown option " + arg);
        }
        if (!ok)
            return Usage(error,
                         "option " + name + (inlineValue ? " takes no value" : " needs a value"));
    }
    if (options.files.empty()) return Usage(error, "no FILE given");

    BatchSettings& s = options.settings;
    s.destination = FolderOf(programFile);
    if (given.settingsFile) {
        if (!IsExistingFile(*given.settingsFile))
            return Usage(error, "settings file " + *given.settingsFile + " cannot be read");
        ReadSettingsFile(*given.settingsFile, programFile, s);
    } else if (const std::string beside = FolderOf(programFile) + "thumbrix.ini";
               IsExistingFile(beside)) {
        ReadSettingsFile(beside, programFile, s);
    }
    if (given.destination) s.destination = WithSlash(*given.destination);
    if (given.size) s.size = *given.size;
    if (given.quality) s.quality = *given.quality;
    if (given.prefix) s.prefix = *given.prefix;
    if (given.suffix) s.suffix = *given.suffix;
    s.progressive = s.progressive || given.progressive;
    s.keepDate = s.keepDate || given.keepDate;
    s.smoothing = s.smoothing || given.smoothing;
    if (given.fastDecode) s.bestQuality = false;
    s.autoOrient = given.autoOrient.value_or(s.autoOrient);
    s.toSrgb = given.toSrgb.value_or(s.toSrgb);
    options.jobs = given.jobs.value_or(DefaultJobs());
    return true;
}
