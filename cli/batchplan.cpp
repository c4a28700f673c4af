#include "cli/batchplan.h"

#include <optional>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "codec/pictureformat.h"
#include "conversion/outputname.h"
#include "conversion/sourceset.h"
#include "platform/filestatus.h"

namespace {

std::string_view FileNameOf(std::string_view path) {
    return path.substr(path.rfind('/') + 1);
}

std::optional<std::string> RefusalReason(const BatchSource& source,
                                         const std::optional<FileStatus>& status) {
    if (!status) return StatFailure(source.path);
    if (status->kind == FileStatus::Kind::Folder) return "a folder (use -r to convert its files)";
    if (status->kind != FileStatus::Kind::File) return "not a file";
    if (FormatOfPath(source.path) == nullptr) return "not a " + PictureExtensionWords() + " file";
    return std::nullopt;
}

}  // namespace

BatchPlan::BatchPlan(std::vector<BatchSource> sources, const Settings& settings)
    : sources_(std::move(sources)), next_(sources_.size(), kEnd) {
    const size_t count = sources_.size();
    // Every source is a source, refused or not: none may be replaced.
    std::vector<FileId> ids(count);
    std::vector<bool> refused(count);
    for (uint32_t i = 0; i < count; ++i) {
        const std::optional<FileStatus> status = StatPath(sources_[i].path);
        inputs_.add(sources_[i].path, status);
        if (status) ids[i] = status->id;
        if (auto reason = RefusalReason(sources_[i], status)) {
            refusals_.push_back({i, {}, std::move(*reason)});
            refused[i] = true;
        }
    }

    // Keys are views of the groups' outputs, which never move: no group is
    // added beyond the reserve.
    groups_.reserve(count);
    std::unordered_map<std::string_view, uint32_t> byOutput;
    byOutput.reserve(count);
    std::string folder;
    for (uint32_t i = 0; i < count; ++i) {
        const BatchSource& source = sources_[i];
        if (refused[i]) continue;
        folder = settings.destination;
        folder += source.mirrored();
        std::string output = !settings.output.empty()
                                 ? settings.output
                                 : ThumbnailPath(source.path, folder, settings.prefix,
                                                 settings.suffix, settings.format);
        if (std::string reason = OutputRefusal(inputs_, source.path, output); !reason.empty()) {
            refusals_.push_back({i, std::move(output), std::move(reason)});
            continue;
        }
        const auto it = byOutput.find(output);
        if (it == byOutput.end()) {
            groups_.push_back({std::move(output), i, i, 1});
            byOutput.emplace(groups_.back().output, static_cast<uint32_t>(groups_.size() - 1));
            continue;
        }
        Group& group = groups_[it->second];
        if (ids[group.last] != ids[i]) clashes_.push_back({group.last, i, it->second});
        next_[group.last] = i;
        group.last = i;
        ++group.count;
    }
}

const char* BatchPlan::roleOf(const std::string& path) const {
    if (inputs_.contains(path)) return "a source file";
    // Only outputs of the same file name can be the same file: the others
    // cost no file status.
    const std::string_view name = FileNameOf(path);
    SourceSet outputs;
    for (const Group& group : groups_)
        if (FileNameOf(group.output) == name) outputs.add(group.output);
    return outputs.contains(path) ? "an output" : nullptr;
}
