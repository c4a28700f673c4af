#include "conversion/sourceset.h"

#include <filesystem>
#include <string_view>

#include "platform/pathname.h"

namespace {

// "a/./b", "a//b" and "$PWD/a/b" name "a/b": a name that does not exist yet
// has no identity to compare.
std::string PlainName(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return (error ? std::filesystem::path(path) : absolute).lexically_normal().string();
}

std::string_view Stem(std::string_view path) {
    const std::string_view name = path.substr(path.rfind('/') + 1);
    return name.substr(0, name.rfind('.'));
}

std::optional<FileStatus> FolderStatus(const std::string& path) {
    const std::string folder = FolderOf(path);
    return StatPath(folder.empty() ? "." : folder);
}

bool IsPictureBeside(const std::string& source, const std::string& output) {
    if (Stem(source) != Stem(output) || !StatPath(output)) return false;
    const auto sourceFolder = FolderStatus(source);
    const auto outputFolder = FolderStatus(output);
    return sourceFolder && outputFolder && sourceFolder->sameFileAs(*outputFolder);
}

}  // namespace

void SourceSet::add(const std::string& path) {
    add(path, StatPath(path));
}

// An existing file is found by its identity under any name, so only the
// names of files that do not exist (yet) need keeping.
void SourceSet::add(const std::string& path, const std::optional<FileStatus>& status) {
    if (status) {
        ids_.insert(status->id);
    } else {
        names_.insert(PlainName(path));
    }
}

bool SourceSet::contains(const std::string& output) const {
    if (!names_.empty() && names_.count(PlainName(output)) != 0) return true;
    if (ids_.empty()) return false;
    const auto target = StatPath(output);
    return target && ids_.count(target->id) != 0;
}

std::string OutputRefusal(const SourceSet& sources, const std::string& source,
                          const std::string& output) {
    if (sources.contains(output)) return output + " is a source file";
    if (IsPictureBeside(source, output))
        return output + " is a picture beside its source, under its name: not replaced";
    return {};
}
