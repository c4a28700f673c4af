#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// What the folder tree reads from the file system. Paths are absolute and end
// with "/"; names and paths carry the file system's bytes (PathText). Sub-folders are
// directories and symbolic links to directories, except hidden ones (names
// beginning with "."). Nothing stays open after a call returns.

// One top-level entry of the tree.
struct DriveEntry {
    QString name;        // the node text, "/" for the file-system root
    bool fixed = false;  // a fixed disk is probed for sub-folders; others get a button unread
};

// The top level in the order the system gives it: the file-system root alone.
std::vector<DriveEntry> ListDrives();

// Whether the folder has at least one sub-folder; stops at the first one found.
// A folder that cannot be read has none.
bool HasSubFolder(const QString& path);

// The folder's sub-folders in the order the system lists them, or nothing when
// the folder cannot be read to the end.
std::optional<QStringList> ListSubFolders(const QString& path);
