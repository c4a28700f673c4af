#include "platform/folderentries.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <memory>

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

bool Unresolved(unsigned char type) {
    return type == DT_LNK || type == DT_UNKNOWN;
}

bool StatIs(DIR* dir, const char* name, int flags, mode_t kind) {
    struct stat st {};
    return fstatat(dirfd(dir), name, &st, flags) == 0 && (st.st_mode & S_IFMT) == kind;
}

}  // namespace

bool FolderEntry::isFile() const {
    if (entry_->d_type == DT_REG) return true;
    return Unresolved(entry_->d_type) && StatIs(dir_, name(), 0, S_IFREG);
}

bool FolderEntry::isFolder() const {
    if (entry_->d_type == DT_DIR) return true;
    return Unresolved(entry_->d_type) && StatIs(dir_, name(), 0, S_IFDIR);
}

bool FolderEntry::isRealFolder() const {
    if (entry_->d_type == DT_DIR) return true;
    return entry_->d_type == DT_UNKNOWN && StatIs(dir_, name(), AT_SYMLINK_NOFOLLOW, S_IFDIR);
}

bool FolderEntry::isBrokenLink() const {
    if (entry_->d_type != DT_LNK &&
        !(entry_->d_type == DT_UNKNOWN && StatIs(dir_, name(), AT_SYMLINK_NOFOLLOW, S_IFLNK)))
        return false;
    struct stat st {};
    return fstatat(dirfd(dir_), name(), &st, 0) != 0;
}

int ForEachFolderEntry(const std::string& folder,
                       const std::function<bool(const FolderEntry&)>& visit) {
    const std::unique_ptr<DIR, DirCloser> dir(opendir(folder.c_str()));
    if (!dir) return errno;
    for (;;) {
        errno = 0;
        const dirent* entry = readdir(dir.get());
        if (entry == nullptr) return errno;
        if (entry->d_name[0] != '.' && !visit(FolderEntry(dir.get(), entry))) return 0;
    }
}
