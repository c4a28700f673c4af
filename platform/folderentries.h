#pragma once

#include <dirent.h>

#include <functional>
#include <string>

// One entry of a folder being read. What it is is asked only when needed:
// the listing's type answers without a system call, except for links and
// file systems that leave it unknown.
class FolderEntry {
public:
    FolderEntry(DIR* dir, const dirent* entry) : dir_(dir), entry_(entry) {}

    const char* name() const { return entry_->d_name; }
    // A regular file, or a symbolic link to one.
    bool isFile() const;
    // A directory, or a symbolic link to one.
    bool isFolder() const;
    // A directory itself, not a link to one.
    bool isRealFolder() const;
    // A symbolic link that leads nowhere: dangling, a loop, or through a
    // folder that may not be entered.
    bool isBrokenLink() const;

private:
    DIR* dir_;
    const dirent* entry_;
};

// Calls visit for each entry of folder (bytes of a path) as the system lists
// them, leaving out hidden ones (names beginning with ".", and so "." and
// ".."), until visit returns false. Returns 0 when the folder was read to the
// end or visit stopped, else the errno of opening or reading it; nothing stays
// open.
int ForEachFolderEntry(const std::string& folder,
                       const std::function<bool(const FolderEntry&)>& visit);
