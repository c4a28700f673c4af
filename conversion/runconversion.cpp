#include "conversion/runconversion.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <string>

#include "codec/pictureformat.h"
#include "codec/srgbtransform.h"
#include "conversion/decodeahead.h"
#include "conversion/outputname.h"
#include "conversion/resampler.h"
#include "conversion/runhost.h"
#include "conversion/runobserver.h"
#include "conversion/runprogress.h"
#include "conversion/runstate.h"
#include "conversion/sourceloader.h"
#include "conversion/sourceset.h"
#include "conversion/thumbnailwriter.h"
#include "image/bitmap.h"
#include "platform/filestatus.h"

namespace {

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

int ThumbnailSide(const TBitmap& source, RunHost& host) {
    const int size = host.thumbnailSize();
    if (host.enlarge()) return size;
    return std::min(size, std::max(source.width(), source.height()));
}

AlphaChoice AlphaFor(const PictureFormat* format, RunHost& host) {
    return {format != nullptr && format->writesAlpha, host.background()};
}

}  // namespace

std::string RunHost::outputPath(const std::string& source) {
    return ThumbnailPath(source, destination(), prefix(), suffix(), outputFormat());
}

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
    RunProgress progress(state, host);
    const PixelDone pixelDone = [&progress](int x, int y, int width, int height) {
        progress.pixelDone(x, y, width, height);
    };
    // Grows with the queue: the window may append to it while the run pumps.
    SourceSet queued;
    size_t protectedCount = 0;
    std::unique_ptr<SrgbTransform> colours;
    // A preview run has one file: nothing to look ahead to.
    std::optional<DecodeAhead> ahead;
    if (!state.PreviewMode && host.decodeAheadWorkers() > 0)
        ahead.emplace(host.decodeAheadWorkers());
    for (size_t i = 0; i < state.FileQueue.size(); ++i) {
        const int index = static_cast<int>(i);
        const std::string path = state.FileQueue[i];
        std::string reason;
        if (ahead) ahead->schedule(state.FileQueue, i + 1, host);
        // The shape is read when the file is reached, as loading it now would read it.
        const bool loaded = (ahead && ahead->take(i, path, LoadChoices::Of(host, path), source,
                                                  state.SourceFileAge, colours)) ||
                            LoadSourceFile(source, path, state, host, &reason, &colours);
        if (!loaded) {
            if (state.PreviewMode) state.RunFailed = true;
            if (observer != nullptr) observer->loadFailed(index, path, reason);
            continue;
        }
        progress.setFile(index);
        ScaleToThumbnail(state.ThumbBitmap, source, ThumbnailSide(source, host), pixelDone,
                         AlphaFor(state.PreviewMode ? nullptr : host.outputFormat(), host));
        if (colours) colours->convert(state.ThumbBitmap);
        if (state.PreviewMode) continue;

        // Named after the scaling: the window's fields may change meanwhile.
        const std::string output = host.outputPath(path);

        while (protectedCount < state.FileQueue.size())
            queued.add(state.FileQueue[protectedCount++]);
        if (const std::string refusal = OutputRefusal(queued, path, output); !refusal.empty()) {
            if (observer != nullptr) observer->writeRefused(index, path, output, refusal);
            continue;
        }
        WriteThumbnail(state.ThumbBitmap, output, state, host, host.thumbnailComment(path));
        if (observer != nullptr) observer->written(index, path, output);
    }
}
