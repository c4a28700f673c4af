#include "platform/filestatus.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

std::optional<FileStatus> StatPath(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) return std::nullopt;
    FileStatus status;
    if (S_ISREG(st.st_mode)) {
        status.kind = FileStatus::Kind::File;
    } else if (S_ISDIR(st.st_mode)) {
        status.kind = FileStatus::Kind::Folder;
    }
    status.modified = st.st_mtim;
    status.id = {uint64_t(st.st_dev), uint64_t(st.st_ino)};
    status.size = st.st_size;
    return status;
}

std::string StatFailure(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) == 0) return "no such file";
    return errno == ENOENT ? "no such file" : std::strerror(errno);
}

bool IsExistingFile(const std::string& path) {
    const auto status = StatPath(path);
    return status && status->kind == FileStatus::Kind::File;
}

bool IsExistingFolder(const std::string& path) {
    const auto status = StatPath(path);
    return status && status->kind == FileStatus::Kind::Folder;
}
