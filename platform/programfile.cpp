#include "platform/programfile.h"

#include <unistd.h>

#include <climits>

#include "platform/pathname.h"

std::string RunningProgramFile(const std::string& fallback) {
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    if (length <= 0 || size_t(length) >= sizeof buffer) return fallback;
    return std::string(buffer, size_t(length));
}

std::string SettingsFileOf(const std::string& programFile) {
    const auto slash = programFile.rfind('/');
    const auto dot = programFile.rfind('.');
    const bool hasExtension =
        dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (hasExtension ? programFile.substr(0, dot) : programFile) + ".ini";
}

std::string ApplicationTitle(const std::string& programFile) {
    std::string title = programFile.substr(FolderOf(programFile).size());
    title = title.substr(0, title.find('.'));
    for (size_t i = 1; i < title.size(); ++i)
        if (title[i] >= 'A' && title[i] <= 'Z') title[i] = char(title[i] - 'A' + 'a');
    return title;
}
