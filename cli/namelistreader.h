#pragma once

#include <functional>
#include <istream>
#include <string>

// Reads the names of a --files-from list, one per line (a "\r" before the line
// end is kept: it may be part of a name) or NUL-separated; empty entries are
// left out. Names are passed on as they are read, so a list of any length
// costs only its names. False with the system's reason when the file cannot
// be opened or read.
bool ReadNameList(const std::string& path, std::istream& standardInput, char separator,
                  const std::function<void(std::string&&)>& name, std::string& reason);
