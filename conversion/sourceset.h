#pragma once

#include <optional>
#include <string>
#include <unordered_set>

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
    std::unordered_set<std::string> names_;
    FileIdSet ids_;
};

// Why a thumbnail of source may not be written at output, or empty: output
// names a source of the run, or an existing picture in the source's own folder
// under the source's own name (photo.jpg beside photo.bmp is a photograph, not
// an old thumbnail).
std::string OutputRefusal(const SourceSet& sources, const std::string& source,
                          const std::string& output);
