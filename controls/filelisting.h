#pragma once

#include <QString>
#include <QStringList>
#include <stdexcept>

// A folder that cannot be read to the end: missing, not a folder, no access.
class FolderListError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Whether a file name matches one part of a file mask ("*.jpg"): "*" and "?"
// as wildcards, letters without regard to case, as the loader takes any case.
// "*.*" matches every name, also one without a dot.
bool MatchesMaskPart(const QString& name, const QString& part);

// The names of the folder's ordinary files (symbolic links to them included)
// that match a part of mask ("*.jpg;*.jpeg;*.bmp"), each name once, sorted by
// name. Hidden files (names beginning with ".") are left out. Throws
// FolderListError when the folder cannot be read. Folder and names carry the
// file system's bytes (PathText).
QStringList ListMatchingFiles(const QString& folder, const QString& mask);
