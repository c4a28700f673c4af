#pragma once

#include <string>
#include <vector>

#include "conversion/settings.h"

// A --files-from list, whose names go before files[before].
struct NameListFile {
    size_t before = 0;
    std::string path;  // "-": standard input
};

struct BatchOptions {
    enum class Action { Run, Help, Version };

    Action action = Action::Run;
    Settings settings;  // fixed for the whole run
    int jobs = 1;
    bool quiet = false;
    bool recursive = false;      // walk folder arguments
    bool nullSeparated = false;  // lists hold NUL-separated names
    bool update = false;         // skip thumbnails that are up to date
    std::string base;            // mirror named files relative to this folder
    std::string reportFile;      // JSON lines, one per source
    std::vector<std::string> files;
    std::vector<NameListFile> lists;
};

// Reads the command line (without the program name). Defaults come from the
// settings file given with --settings or, without it, from thumbrix.ini in
// the program's folder when there is one (--no-settings: none), read as the
// main window reads it; options on the command line win, a "--no-" form
// included. False with a message for a usage error.
bool ParseBatchOptions(const std::vector<std::string>& arguments, const std::string& programFile,
                       BatchOptions& options, std::string& error);

// The window's settings file, which the programs in programFile's folder share.
std::string BatchSettingsFile(const std::string& programFile);
