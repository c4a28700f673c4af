#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

struct AtomicWriteOptions {
    // Given to the new file before it takes the name; failing to set it is not
    // an error.
    std::optional<timespec> modified;
    // Flush to the disk before the rename, so that even a power cut leaves the
    // old or the new content.
    bool sync = false;
    // Write first into an unnamed file (O_TMPFILE) that takes its name only
    // when complete. Off, or where the file system has no unnamed files: a
    // named temporary file (".thumbrix-*.tmp"), locked while in use.
    bool unnamedTemporary = true;
    // A symbolic link at the name: off, the link itself is replaced and what
    // it points to is never touched; on, its target is replaced.
    bool followLink = false;
};

// Replaces the file at path with bytes: they go to a temporary file in the same
// folder, which takes the name only when it is complete, so a failure leaves
// whatever was there untouched and no temporary file behind. A process killed
// while it writes leaves nothing: the file has no name until it is complete
// (an unnamed file is linked under the target's name if that is free, else
// under a temporary name that is renamed over the target at once). Named
// temporary files that a killed writer left in the folder are removed the
// first time a process writes there (RemoveStaleAtomicTemporaries). All names are taken relative to
// the folder, so the temporary one never makes a path too long. A device, FIFO, socket or folder at
// the name, or a link to one, is refused with the reason (nothing is
// opened). An existing file's permissions carry over. Returns the first
// error, or no error.
std::error_code WriteFileAtomically(const std::string& path, std::string_view bytes,
                                    const AtomicWriteOptions& options = {});

// Removes the named temporary files that killed writers left in folder: those
// no process holds locked (a writer locks its own before it writes), however
// young. WriteFileAtomically does it the first time a process writes to a
// folder.
void RemoveStaleAtomicTemporaries(const std::string& folder);

// The same, once per folder and process: for a run that reads a folder it
// may not write to (every thumbnail up to date).
void RemoveStaleAtomicTemporariesOnce(const std::string& folder);

// Whether a name is one of the temporary files above (".thumbrix-*.tmp").
bool IsAtomicTemporaryName(std::string_view name);
