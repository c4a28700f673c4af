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

void SourceSet::add(const std::string& path, const std::optional<FileStatus>& status) {
    names_.insert(PlainName(path));
    if (status) ids_.insert({status->device, status->inode});
}

bool SourceSet::contains(const std::string& output) const {
    if (names_.count(PlainName(output)) != 0) return true;
    if (ids_.empty()) return false;
    const auto target = StatPath(output);
    return target && ids_.count({target->device, target->inode}) != 0;
}
