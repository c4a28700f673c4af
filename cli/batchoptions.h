#pragma once

#include <string>
#include <vector>

// Everything a batch run reads, fixed for the whole run.
struct BatchSettings {
    int size = 32;
    int quality = 60;
    bool bestQuality = true;  // accurate inverse DCT when decoding
    bool smoothing = false;
    bool progressive = false;
    bool keepDate = false;
    bool autoOrient = true;  // turn JPEG photos upright by their EXIF Orientation
    bool toSrgb = true;      // convert ICC-tagged JPEG photos to sRGB
    std::string prefix;
    std::string suffix;
    std::string destination;  // ends with "/"
};

struct BatchOptions {
    enum class Action { Run, Help, Version };

    Action action = Action::Run;
    BatchSettings settings;
    int jobs = 1;
    bool quiet = false;
    std::vector<std::string> files;
};

// Reads the command line (without the program name). Defaults come from the
// settings file given with --settings or, without it, from thumbrix.ini in
// the program's folder when there is one, read as the main window reads it;
// options on the command line win. False with a message for a usage error.
bool ParseBatchOptions(const std::vector<std::string>& arguments, const std::string& programFile,
                       BatchOptions& options, std::string& error);

// The text of --help.
std::string BatchUsage();
