#include "conversion/sourceset.h"

#include <filesystem>

namespace {

// "a/./b" and "a//b" name "a/b": a name that does not exist yet has no
// identity to compare.
std::string PlainName(const std::string& path) {
    return std::filesystem::path(path).lexically_normal().string();
}

}  // namespace

void SourceSet::add(const std::string& path) {
    add(path, StatPath(path));
}

// An existing file is found by its identity under any name, so only the
// names of files that do not exist (yet) need keeping.
void SourceSet::add(const std::string& path, const std::optional<FileStatus>& status) {
    if (status) {
        ids_.insert({status->device, status->inode});
    } else {
        names_.insert(PlainName(path));
    }
}

bool SourceSet::contains(const std::string& output) const {
    if (!names_.empty() && names_.count(PlainName(output)) != 0) return true;
    if (ids_.empty()) return false;
    const auto target = StatPath(output);
    return target && ids_.count({target->device, target->inode}) != 0;
}
