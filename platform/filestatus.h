#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <unordered_set>

// A file's identity, the same under every name and hard link of it.
struct FileId {
    uint64_t device = 0;
    uint64_t inode = 0;

    bool operator==(const FileId&) const = default;
    struct Hash {
        size_t operator()(const FileId& id) const {
            return std::hash<uint64_t>()(id.device * 0x9E3779B97F4A7C15ull ^ id.inode);
        }
    };
};
using FileIdSet = std::unordered_set<FileId, FileId::Hash>;

// What the directory entry of a path says, symbolic links followed. Paths are
// the file system's bytes with "/" separators.
struct FileStatus {
    enum class Kind { File, Folder, Other };

    Kind kind = Kind::Other;
    timespec modified{};
    FileId id;
    int64_t size = 0;

    bool sameFileAs(const FileStatus& other) const { return id == other.id; }
};

std::optional<FileStatus> StatPath(const std::string& path);
// Why StatPath finds nothing at path, in the system's words ("Too many levels
// of symbolic links", "Permission denied"); "no such file" for a missing one.
std::string StatFailure(const std::string& path);

// A regular file: folders, devices and pipes do not count.
bool IsExistingFile(const std::string& path);
bool IsExistingFolder(const std::string& path);
