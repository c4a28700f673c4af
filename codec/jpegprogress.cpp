#include "codec/jpegprogress.h"

#include <jerror.h>

#include <algorithm>
#include <chrono>
#include <string>

#include "codec/graphicerrors.h"
#include "codec/jpeglimits.h"
#include "codec/jpegsession.h"

namespace {

long long SteadyMilliseconds() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

constexpr long long kReportInterval = 500;

}  // namespace

long long (*CodecTickSource)() = SteadyMilliseconds;

std::optional<CodecProgressReport> NextProgressReport(CodecProgressState& state,
                                                      const CodecPassCounters& counters,
                                                      long long now, int outputRow, int outputWidth,
                                                      int outputHeight) {
    if (!state.clockStarted) {
        state.clockStarted = true;
        state.lastTick = now;
        return std::nullopt;
    }
    if (now - state.lastTick < kReportInterval || counters.totalPasses <= 0) return std::nullopt;
    const double passPart =
        counters.passLimit > 0 ? double(counters.passCounter) / double(counters.passLimit) : 0.0;
    const double exact = (passPart + counters.completedPasses) * 100.0 / counters.totalPasses;
    const int percent = static_cast<int>(std::clamp(exact, 0.0, 100.0));
    if (percent == state.lastPercent) return std::nullopt;

    CodecProgressReport report{percent, QRect(), false};
    if (outputWidth >= 0) {
        // A row below the last one means a new pass began: the rest of the
        // previous pass counts as done.
        const int bottom = outputRow < state.lastRow ? outputHeight : outputRow;
        report.band = QRect(0, state.lastRow, outputWidth, bottom - state.lastRow);
        report.redrawNow = bottom - state.lastRow >= 4;
        state.lastRow = outputRow;
    }
    state.lastPercent = percent;
    state.lastTick = now;
    return report;
}

bool ProgressRelay::Deliver(CodecSession& session, int outputRow, int outputWidth,
                            int outputHeight) noexcept {
    const jpeg_progress_mgr& p = session.progress;
    const std::optional<CodecProgressReport> report = NextProgressReport(
        session.progressState, {p.pass_counter, p.pass_limit, p.completed_passes, p.total_passes},
        CodecTickSource(), outputRow, outputWidth, outputHeight);
    if (!report) return true;
    try {
        (*fn_)(report->percent, report->redrawNow, report->band);
        return true;
    } catch (...) {
        pending_ = std::current_exception();
        return false;
    }
}

void ProgressRelay::Check(const CodecSession& session, bool ok) const {
    if (ok) return;
    if (session.stopped && pending_) std::rethrow_exception(pending_);
    const int code = session.error.msg_code;
    const std::string library = LibraryMessage(session);
    // Without backing store, the library refuses a buffer over the budget so.
    if (session.isDecompressor && (code == JERR_NO_BACKING_STORE || code == JERR_OUT_OF_MEMORY))
        throw EJPEG(code, OverBudgetReason(session.d.image_width, session.d.image_height), library);
    // Raised only when the stream source ran out inside the header.
    if (code == JERR_INPUT_EOF) throw EJPEG(code, "the file ends before its picture data", library);
    throw EJPEG(code, {}, library);
}
