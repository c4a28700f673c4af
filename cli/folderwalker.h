#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "platform/filestatus.h"

// Walks a folder tree for picture files (every extension of the format table, in any case) in a
// stable order: each folder's entries sorted by their bytes, subfolders
// entered where they sort. Hidden entries (names starting with ".") are left
// out; symbolic links to files are followed, links to folders are not, so a
// link loop cannot trap the walk. A broken link with a picture's name is found
// like a file, for the run to report. Paths are the root, "/" and the path below
// it.
class FolderWalker {
public:
    using FileFound = std::function<void(std::string&& path)>;
    // A folder that cannot be read, with the system's reason; the walk goes on.
    using FolderFailed = std::function<void(const std::string& folder, const std::string& reason)>;

    FolderWalker(FileFound found, FolderFailed failed)
        : found_(std::move(found)), failed_(std::move(failed)) {}

    // A folder left out wherever it appears: the destination, so that a
    // destination inside the library does not become a source at the next run.
    void skipFolder(const std::string& path);

    void walk(const std::string& root);

private:
    void walkFolder(std::string& path);

    FileFound found_;
    FolderFailed failed_;
    std::optional<FileStatus> skip_;
};
