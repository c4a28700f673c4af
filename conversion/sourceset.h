#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_set>
#include <utility>

#include "platform/filestatus.h"

// The source files of a run, by name and by identity: an output that names
// one of them, under the same spelling, another spelling of the same folder or
// through a hard link, is found, so that a thumbnail never replaces a source.
// Adding and asking cost one file status each, whatever the number of files.
class SourceSet {
public:
    void add(const std::string& path);
    // For callers that already have the path's status (none: it does not exist).
    void add(const std::string& path, const std::optional<FileStatus>& status);

    bool contains(const std::string& output) const;

private:
    struct FileIdHash {
        size_t operator()(const std::pair<uint64_t, uint64_t>& id) const {
            return std::hash<uint64_t>()(id.first * 0x9E3779B97F4A7C15ull ^ id.second);
        }
    };

    std::unordered_set<std::string> names_;
    std::unordered_set<std::pair<uint64_t, uint64_t>, FileIdHash> ids_;
};

// Why a thumbnail of source may not be written at output, or empty: output
// names a source of the run, or an existing picture in the source's own folder
// under the source's own name (photo.jpg beside photo.bmp is a photograph, not
// an old thumbnail).
std::string OutputRefusal(const SourceSet& sources, const std::string& source,
                          const std::string& output);
