#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PictureFormat;

// Everything a batch run reads, fixed for the whole run.
struct BatchSettings {
    int size = 32;
    int quality = 60;
    bool bestQuality = true;  // accurate inverse DCT when decoding
    bool smoothing = false;
    bool progressive = false;
    bool keepDate = false;
    bool optimize = false;   // optimised Huffman tables
    bool draft = false;      // decode at the smallest scale still twice the thumbnail
    bool autoOrient = true;  // turn JPEG photos upright by their EXIF Orientation
    bool toSrgb = true;      // convert ICC-tagged JPEG photos to sRGB
    std::string prefix;
    std::string suffix;
    std::string destination;                // ends with "/"
    const PictureFormat* format = nullptr;  // the thumbnails' format; null: JPEG
    std::string output;                     // -o: the one source's thumbnail, exactly
    bool enlarge = true;                    // scale pictures smaller than the size up
    uint32_t background = 0xffffff;         // under transparent pixels, without alpha
};

// A --files-from list, whose names go before files[before].
struct NameListFile {
    size_t before = 0;
    std::string path;  // "-": standard input
};

struct BatchOptions {
    enum class Action { Run, Help, Version };

    Action action = Action::Run;
    BatchSettings settings;
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
