#include "cli/sourcecollector.h"

#include <sys/stat.h>

#include <filesystem>

#include "cli/folderwalker.h"
#include "cli/namelistreader.h"

namespace {

bool IsFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string Normal(const std::string& path) {
    return std::filesystem::absolute(std::filesystem::path(path)).lexically_normal().string();
}

bool HasDotSegment(std::string_view path) {
    return path.find("/./") != std::string_view::npos ||
           path.find("/../") != std::string_view::npos || path.find("//") != std::string_view::npos;
}

}  // namespace

SourceCollector::SourceCollector(const BatchOptions& options, std::istream& standardInput,
                                 Problem problem)
    : options_(options), standardInput_(standardInput), problem_(std::move(problem)) {
    if (!options.base.empty()) {
        givenBase_ = options.base;
        if (givenBase_.back() != '/') givenBase_ += '/';
        base_ = Normal(givenBase_);
        if (base_.back() != '/') base_ += '/';
    }
}

std::vector<BatchSource> SourceCollector::collect() {
    sources_.clear();
    sources_.reserve(options_.files.size());
    const char separator = options_.nullSeparated ? '\0' : '\n';
    size_t nextList = 0;
    auto readListsBefore = [&](size_t index) {
        for (; nextList < options_.lists.size() && options_.lists[nextList].before <= index;
             ++nextList) {
            const std::string& list = options_.lists[nextList].path;
            std::string reason;
            if (!ReadNameList(
                    list, standardInput_, separator,
                    [this](std::string&& name) { addName(std::move(name)); }, reason))
                problem_(list, "cannot read the list: " + reason);
        }
    };
    for (size_t i = 0; i < options_.files.size(); ++i) {
        readListsBefore(i);
        addName(std::string(options_.files[i]));
    }
    readListsBefore(options_.files.size());
    return std::move(sources_);
}

void SourceCollector::addName(std::string&& name) {
    if (options_.recursive && IsFolder(name)) {
        std::string root = name;
        while (root.size() > 1 && root.back() == '/') root.pop_back();
        const size_t rootLength = root == "/" ? 1 : root.size() + 1;
        FolderWalker walker([&](std::string&& path) { addFile(std::move(path), rootLength); },
                            [&](const std::string& folder, const std::string& reason) {
                                problem_(folder, "cannot read the folder: " + reason);
                            });
        walker.skipFolder(options_.settings.destination);
        walker.walk(root);
        return;
    }
    addFile(std::move(name), 0);
}

// rootLength: where the mirrored part starts, for a walked file.
void SourceCollector::addFile(std::string&& path, size_t rootLength) {
    BatchSource source;
    size_t start = rootLength;
    bool mirror = rootLength != 0;
    if (!base_.empty()) {
        // Names spelt from --base as given are taken as they are; others are
        // made absolute and normal before they are compared.
        if (path.compare(0, givenBase_.size(), givenBase_) == 0 &&
            !HasDotSegment(std::string_view(path).substr(givenBase_.size() - 1))) {
            start = givenBase_.size();
        } else {
            std::string normal = Normal(path);
            if (normal.compare(0, base_.size(), base_) != 0) {
                problem_(path, "not under the --base folder " + options_.base);
                return;
            }
            path = std::move(normal);
            start = base_.size();
        }
        mirror = true;
    }
    source.path = std::move(path);
    if (mirror) {
        const size_t slash = source.path.rfind('/');
        source.mirrorStart = static_cast<uint32_t>(start);
        source.mirrorEnd =
            static_cast<uint32_t>(slash == std::string::npos || slash < start ? start : slash + 1);
    }
    sources_.push_back(std::move(source));
}
