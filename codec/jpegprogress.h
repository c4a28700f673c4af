#pragma once

#include <QRect>
#include <optional>

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
