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

std::optional<std::string> RefusalReason(const BatchSource& source,
                                         const std::optional<FileStatus>& status) {
    if (!status) return "no such file";
    if (status->kind == FileStatus::Kind::Folder) return "a folder (use -r to convert its files)";
    if (status->kind != FileStatus::Kind::File) return "not a file";
    if (FormatOfPath(source.path) == nullptr) return "not a " + PictureExtensionWords() + " file";
    return std::nullopt;
}

}  // namespace

BatchPlan::BatchPlan(std::vector<BatchSource> sources, const BatchSettings& settings)
    : sources_(std::move(sources)), next_(sources_.size(), kEnd) {
    const size_t count = sources_.size();
    // Every source is a source, refused or not: none may be replaced.
    std::vector<std::pair<uint64_t, uint64_t>> ids(count);
    std::vector<bool> refused(count);
    SourceSet inputs;
    for (uint32_t i = 0; i < count; ++i) {
        const std::optional<FileStatus> status = StatPath(sources_[i].path);
        inputs.add(sources_[i].path, status);
        if (status) ids[i] = {status->device, status->inode};
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
        std::string output = ThumbnailPath(source.path, folder, settings.prefix, settings.suffix);
        if (inputs.contains(output)) {
            std::string reason = output + " is a source file";
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
