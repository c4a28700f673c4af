#include "platform/folderlist.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <memory>

#include "platform/pathtext.h"

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

bool IsSubFolder(DIR* dir, const dirent* entry) {
    if (entry->d_name[0] == '.') return false;  // hidden, and "." and ".."
    if (entry->d_type == DT_DIR) return true;
    if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN) return false;
    // A link counts when it leads to a directory; some file systems give no type.
    struct stat st {};
    return fstatat(dirfd(dir), entry->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
}

// Calls visit(name) for each sub-folder until it returns false. False when the
// folder cannot be opened or a read fails on the way.
template <typename Visit>
bool ForEachSubFolder(const QString& path, Visit visit) {
    const DirHandle dir(opendir(PathBytes(path).c_str()));
    if (!dir) return false;
    for (;;) {
        errno = 0;
        const dirent* entry = readdir(dir.get());
        if (entry == nullptr) return errno == 0;
        if (IsSubFolder(dir.get(), entry) && !visit(PathText(entry->d_name))) return true;
    }
}

}  // namespace

std::vector<DriveEntry> ListDrives() {
    return {DriveEntry{QStringLiteral("/"), true}};
}

bool HasSubFolder(const QString& path) {
    bool found = false;
    ForEachSubFolder(path, [&found](const QString&) {
        found = true;
        return false;
    });
    return found;
}

std::optional<QStringList> ListSubFolders(const QString& path) {
    QStringList names;
    const bool complete = ForEachSubFolder(path, [&names](QString name) {
        names.append(std::move(name));
        return true;
    });
    if (!complete) return std::nullopt;
    return names;
}
