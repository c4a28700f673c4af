#pragma once

#include <string>

// Where the program keeps its settings and where it starts. A copy whose folder
// the user may write into (a build tree, a portable copy) keeps everything
// beside itself; an installed one uses the user's own folders. Paths are the
// file system's bytes with "/" separators.

// Whether the folder of programFile is the program's own: the user may write
// into it, and it is not the bin/ folder of an installed copy (root may write
// into /usr/bin, but settings do not belong there).
bool IsOwnProgramFolder(const std::string& programFile);

// The settings file of programFile: beside it with the extension ".ini" while
// its folder is its own, else $XDG_CONFIG_HOME/thumbrix/thumbrix.ini (by
// default ~/.config/thumbrix/thumbrix.ini). Writing it makes its folder.
std::string SettingsFilePath(const std::string& programFile);

// The folder that an empty destination or preview folder stands for, ending
// with "/": the program's own folder, else the user's Pictures folder when it
// exists, else the home folder.
std::string DefaultFolder(const std::string& programFile);
