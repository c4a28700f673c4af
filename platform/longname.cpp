#include "platform/longname.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <optional>

#include "platform/pathname.h"

namespace {

// "*" any run of bytes, "?" one byte; other bytes compare without ASCII case.
bool Matches(const char* pattern, const char* name) {
    const char* starPattern = nullptr;
    const char* starName = nullptr;
    while (*name != '\0') {
        if (*pattern == '*') {
            starPattern = ++pattern;
            starName = name;
        } else if (*pattern == '?' ||
                   (*pattern != '\0' && AsciiLower(*pattern) == AsciiLower(*name))) {
            ++pattern;
            ++name;
        } else if (starPattern != nullptr) {
            pattern = starPattern;
            name = ++starName;
        } else {
            return false;
        }
    }
    while (*pattern == '*') ++pattern;
    return *pattern == '\0';
}

// The entry that the last component of path names, as its folder lists it.
std::optional<std::string> FindFirst(const std::string& path) {
    const auto slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const std::string pattern = slash == std::string::npos ? path : path.substr(slash + 1);
    if (pattern.empty()) return std::nullopt;
    if (pattern.find_first_of("*?") == std::string::npos) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0) return std::nullopt;
        return pattern;
    }
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
    if (!dir) return std::nullopt;
    std::optional<std::string> first;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name == "." || name == ".." || !Matches(pattern.c_str(), name.c_str())) continue;
        // As in a shell's globs, a hidden name needs a pattern that names the dot.
        if (name.front() == '.' && pattern.front() != '.') continue;
        if (!first || name < *first) first = name;
    }
    return first;
}

std::string Absolute(const std::string& path) {
    if (path.empty() || path.front() == '/') return path;
    std::unique_ptr<char, void (*)(void*)> cwd(::getcwd(nullptr, 0), std::free);
    if (!cwd) return path;
    std::string folder = cwd.get();
    if (folder.back() != '/') folder += '/';
    return folder + path;
}

}  // namespace

std::string LongFileName(const std::string& original) {
    std::string path = Absolute(original);
    std::string result;
    std::optional<std::string> found = FindFirst(path);
    while (found && !path.empty()) {
        result = "/" + *found + result;
        const auto slash = path.rfind('/');
        path = slash == std::string::npos ? std::string() : path.substr(0, slash);
        found = FindFirst(path);
    }
    return path + result;
}
