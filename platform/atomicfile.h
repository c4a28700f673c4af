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
};

// Replaces the file at path with bytes: they go to a temporary file in the same
// folder, which takes the name only when it is complete, so a failure leaves
// whatever was there untouched and no temporary file behind. A symbolic link
// keeps pointing where it did: its target is replaced. An existing file's
// permissions carry over. Returns the first error, or no error.
std::error_code WriteFileAtomically(const std::string& path, std::string_view bytes,
                                    const AtomicWriteOptions& options = {});

// Whether a name is one of the temporary files above (".thumbrix-*.tmp").
bool IsAtomicTemporaryName(std::string_view name);
