#include "cli/folderwalker.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "codec/pictureformat.h"
#include "platform/filestatus.h"
#include "platform/folderentries.h"

namespace {

struct Entry {
    std::string name;
    bool folder = false;
};

}  // namespace

void FolderWalker::skipFolder(const std::string& path) {
    skip_ = StatPath(path);
}

void FolderWalker::walk(const std::string& root) {
    std::string path = root;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    walkFolder(path);
}

// path is extended in place for each entry and restored afterwards.
void FolderWalker::walkFolder(std::string& path) {
    std::vector<Entry> entries;
    // Links to folders are not entered, links to files are followed. A
    // picture's name on a broken link is passed on, so that the run says why
    // it cannot be read instead of losing it in silence.
    const int error = ForEachFolderEntry(path, [&](const FolderEntry& entry) {
        if (entry.isRealFolder())
            entries.push_back({entry.name(), true});
        else if (FormatOfPath(entry.name()) != nullptr && (entry.isFile() || entry.isBrokenLink()))
            entries.push_back({entry.name(), false});
        return true;
    });
    if (error != 0) failed_(path, std::strerror(error));

    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a.name < b.name; });
    const size_t length = path.size();
    for (Entry& entry : entries) {
        path += '/';
        path += entry.name;
        if (entry.folder) {
            const std::optional<FileStatus> status = skip_ ? StatPath(path) : std::nullopt;
            if (!status || !status->sameFileAs(*skip_)) walkFolder(path);
        } else {
            found_(std::string(path));
        }
        path.resize(length);
    }
}
