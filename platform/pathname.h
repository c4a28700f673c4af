#pragma once

#include <string>

// Small helpers over paths held as the file system's bytes, "/" separators.

// The folder holding path, ending with "/"; empty for a bare name.
std::string FolderOf(const std::string& path);

// folder with a "/" at its end; empty stays empty.
std::string WithSlash(std::string folder);

// An ASCII letter in lower case; every other byte as it is, so that names in
// any encoding compare without regard to ASCII case alone.
inline char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}
