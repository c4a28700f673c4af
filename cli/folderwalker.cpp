#include "cli/folderwalker.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "codec/pictureformat.h"

namespace {

struct Entry {
    std::string name;
    bool folder = false;
};

}  // namespace

void FolderWalker::skipFolder(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) skip_ = {st.st_dev, st.st_ino};
}

void FolderWalker::walk(const std::string& root) {
    std::string path = root;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    walkFolder(path);
}

// path is extended in place for each entry and restored afterwards.
void FolderWalker::walkFolder(std::string& path) {
    DIR* folder = ::opendir(path.c_str());
    if (folder == nullptr) {
        failed_(path, std::strerror(errno));
        return;
    }
    std::vector<Entry> entries;
    errno = 0;
    while (const dirent* entry = ::readdir(folder)) {
        if (entry->d_name[0] == '.') continue;
        const std::string name = entry->d_name;
        bool isFolder = entry->d_type == DT_DIR;
        bool isFile = entry->d_type == DT_REG;
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            struct stat st {};
            const std::string full = path + "/" + name;
            // A link counts as what it points to, except that folders are
            // entered only when they are not links.
            if (::lstat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
                isFolder = true;
            } else if (::stat(full.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
                isFile = true;
            }
        }
        if (isFolder || (isFile && FormatOfPath(name) != nullptr))
            entries.push_back({name, isFolder});
        errno = 0;
    }
    const int readError = errno;
    ::closedir(folder);
    if (readError != 0) failed_(path, std::strerror(readError));

    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a.name < b.name; });
    const size_t length = path.size();
    for (Entry& entry : entries) {
        path += '/';
        path += entry.name;
        if (entry.folder) {
            struct stat st {};
            const bool skipped = skip_ && ::stat(path.c_str(), &st) == 0 &&
                                 std::pair<uint64_t, uint64_t>(st.st_dev, st.st_ino) == *skip_;
            if (!skipped) walkFolder(path);
        } else {
            found_(std::string(path));
        }
        path.resize(length);
    }
}
