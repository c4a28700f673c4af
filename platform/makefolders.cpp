#include "platform/makefolders.h"

#include <sys/stat.h>

#include <cerrno>

std::error_code MakeFolders(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) == 0) {
        if (!path.empty() && !S_ISDIR(st.st_mode))
            return std::make_error_code(std::errc::not_a_directory);
        return {};
    }
    // Parents first, then this one.
    size_t end = path.size();
    while (end > 1 && path[end - 1] == '/') --end;
    const size_t slash = path.rfind('/', end - 1);
    if (slash != std::string::npos && slash > 0)
        if (const std::error_code error = MakeFolders(path.substr(0, slash))) return error;
    if (::mkdir(path.substr(0, end).c_str(), 0777) != 0 && errno != EEXIST)
        return {errno, std::generic_category()};
    return {};
}
