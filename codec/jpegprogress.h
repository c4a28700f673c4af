#pragma once

#include <QRect>
#include <exception>
#include <functional>
#include <optional>

struct CodecSession;

// Where ReportCodecProgress stands within one decode or encode. Zero-filled at
// the start of each.
struct CodecProgressState {
    int lastPercent;
    long long lastTick;  // ms of CodecTickSource at the last report
    bool clockStarted;
    int lastRow;  // output row at the last report (decoding)
};

// The library's progress counters at one call.
struct CodecPassCounters {
    long passCounter;
    long passLimit;
    int completedPasses;
    int totalPasses;
};

struct CodecProgressReport {
    int percent;
    QRect band;  // rows decoded since the last report; empty while encoding
    bool redrawNow;
};

// Milliseconds of a monotonic clock. Tests may point it at a clock of their own.
extern long long (*CodecTickSource)();

// At most one report per 500 ms (the first call only starts the clock), and only
// when the whole percent has changed. outputWidth < 0 means encoding (no band).
std::optional<CodecProgressReport> NextProgressReport(CodecProgressState& state,
                                                      const CodecPassCounters& counters,
                                                      long long now, int outputRow, int outputWidth,
                                                      int outputHeight);

// Stage running: percent, redraw-now and the band of rows decoded since the
// last report. May throw (EAbort stops the operation).
using CodecProgressFn = std::function<void(int percent, bool redrawNow, const QRect& band)>;

// Carries the library's progress calls to a progress function, and whatever
// that function throws back past the library's C frames as a stop.
class ProgressRelay {
public:
    explicit ProgressRelay(const CodecProgressFn* fn) : fn_(fn) {}

    bool active() const { return fn_ != nullptr; }
    // Reports when one is due; false (stop the library) when the function threw.
    // outputWidth < 0 means encoding.
    bool Deliver(CodecSession& session, int outputRow, int outputWidth, int outputHeight) noexcept;
    // After a library call: rethrows what the function threw, or EJPEG with
    // the library's code when the call failed.
    void Check(const CodecSession& session, bool ok) const;

private:
    const CodecProgressFn* fn_;
    std::exception_ptr pending_;
};
