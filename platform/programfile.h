#pragma once

#include <string>

// Names derived from the program file's path (the file system's bytes, "/"
// separators).

// The running program's file as the file system names it, byte for byte, or
// fallback when the system does not say.
std::string RunningProgramFile(const std::string& fallback);

// The settings file: the program file with its extension replaced by ".ini",
// or with ".ini" added when it has none.
std::string SettingsFileOf(const std::string& programFile);

// The title of message boxes: the program file's name before its first ".",
// every letter after the first lower-cased.
std::string ApplicationTitle(const std::string& programFile);
