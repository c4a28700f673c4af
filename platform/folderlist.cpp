#include "platform/folderlist.h"

#include "platform/folderentries.h"
#include "platform/pathtext.h"

namespace {

// Calls visit(name) for each sub-folder until it returns false. False when the
// folder cannot be opened or a read fails on the way.
template <typename Visit>
bool ForEachSubFolder(const QString& path, Visit visit) {
    return ForEachFolderEntry(PathBytes(path), [&](const FolderEntry& entry) {
               return !entry.isFolder() || visit(PathText(entry.name()));
           }) == 0;
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
