#pragma once

#include <string>

// Names derived from the program file's path (UTF-8, "/" separators).

// The folder holding path, ending with "/"; empty for a bare name.
std::string FolderOf(const std::string& path);

// The settings file: the program file with its extension replaced by ".ini",
// or with ".ini" added when it has none.
std::string SettingsFileOf(const std::string& programFile);

// The title of message boxes: the program file's name before its first ".",
// every letter after the first lower-cased.
std::string ApplicationTitle(const std::string& programFile);
