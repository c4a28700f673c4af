#include "conversion/runconversion.h"

#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "codec/srgbtransform.h"
#include "conversion/outputname.h"
#include "conversion/resampler.h"
#include "conversion/runhost.h"
#include "conversion/runobserver.h"
#include "conversion/runstate.h"
#include "conversion/sourceloader.h"
#include "conversion/thumbnailwriter.h"
#include "image/bitmap.h"
#include "platform/filestatus.h"

namespace {

// The resampler's view of the run: the live queue length and the host's bar
// and pump.
class RunScaleHooks final : public ScaleHooks {
public:
    RunScaleHooks(const RunState& state, RunHost& host) : state_(state), host_(host) {}
    int queueLength() override { return static_cast<int>(state_.FileQueue.size()); }
    void setProgress(int position) override { host_.setProgress(position); }
    void pump() override { host_.pump(); }

private:
    const RunState& state_;
    RunHost& host_;
};

// Marks the run as in progress and, however it ends, leaves the state as after
// a finished run: queue empty, bar at 0, bit 0 clear.
class RunningGuard {
public:
    RunningGuard(RunState& state, RunHost& host) : state_(state), host_(host) {
        state_.BusyFlags |= RunState::kRunning;
    }
    ~RunningGuard() {
        state_.FileQueue.clear();
        try {
            host_.setProgress(0);
        } catch (...) {
            // A bar that cannot be reset must not hide the run's own error.
        }
        state_.BusyFlags &= ~RunState::kRunning;
    }
    RunningGuard(const RunningGuard&) = delete;
    RunningGuard& operator=(const RunningGuard&) = delete;

private:
    RunState& state_;
    RunHost& host_;
};

// The queued files, by name and by identity, so that an output naming one of
// them is found also under another spelling or through a hard link. Made once
// per run: the queue belongs to the run while it lasts.
class QueuedFiles {
public:
    explicit QueuedFiles(const std::vector<std::string>& queue)
        : names_(queue.begin(), queue.end()) {
        for (const std::string& path : queue)
            if (const auto status = StatPath(path)) ids_.insert({status->device, status->inode});
    }

    bool contain(const std::string& output) const {
        if (names_.count(output) != 0) return true;
        const auto target = StatPath(output);
        return target && ids_.count({target->device, target->inode}) != 0;
    }

private:
    std::set<std::string> names_;
    std::set<std::pair<uint64_t, uint64_t>> ids_;
};

}  // namespace

void RunConversion(RunState& state, RunHost& host, RunObserver* observer) {
    if (state.running()) return;
    state.BusyFlags = 0;
    state.RunFailed = false;
    if (state.FileQueue.empty()) {
        state.RunFailed = true;
        return;
    }
    if (!state.PreviewMode && !IsExistingFolder(host.destination())) {
        host.showMessage("格納先を設定してください");
        state.RunFailed = true;
        return;
    }

    RunningGuard guard(state, host);
    TBitmap source;
    std::unique_ptr<SrgbTransform> colours;
    RunScaleHooks hooks(state, host);
    const QueuedFiles queued(state.FileQueue);
    for (size_t i = 0; i < state.FileQueue.size(); ++i) {
        const int index = static_cast<int>(i);
        const std::string path = state.FileQueue[i];
        std::string reason;
        if (!LoadSourceFile(source, path, state, host, &reason, &colours)) {
            if (state.PreviewMode) state.RunFailed = true;
            if (observer != nullptr) observer->loadFailed(index, path, reason);
            continue;
        }
        ScaleToThumbnail(state.ThumbBitmap, source, index, host.thumbnailSize(), hooks);
        if (colours) colours->convert(state.ThumbBitmap);
        if (state.PreviewMode) continue;

        const std::string output =
            ThumbnailPath(path, host.destination(), host.prefix(), host.suffix());
        if (queued.contain(output)) {
            if (observer != nullptr) observer->writeRefused(index, path, output);
            continue;
        }
        WriteThumbnail(state.ThumbBitmap, output, state, host);
        if (observer != nullptr) observer->written(index, path, output);
    }
}
