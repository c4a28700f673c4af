#pragma once

#include <chrono>
#include <mutex>
#include <ostream>
#include <string>
#include <string_view>

#include "cli/jsonreport.h"
#include "cli/progressline.h"

// text with its control bytes (ESC, BEL, a newline or carriage return in a
// name) written as "\xHH", so that one message stays one line and no name
// can drive the terminal.
std::string EscapeControls(std::string_view text);

// Where every job tells what became of each source: the counts, the messages
// on the error stream (kept apart from a terminal's progress line), and the
// --report file. Safe to call from every job.
class BatchLog {
public:
    using Outcome = ProgressLine::Outcome;

    BatchLog(std::ostream& err, bool showProgress, uint64_t total, JsonReport& report);

    // A source is done; failures and refusals are also told on the error stream.
    void done(Outcome outcome, const std::string& source, const std::string& output,
              const std::string& reason, long long milliseconds);
    // A message that belongs to no single outcome (two sources, one output).
    void warn(const std::string& text);
    // A problem with an input that is no source (a list, a folder): a failure.
    void inputFailed(const std::string& name, const std::string& reason);

    // Ends the progress line; the summary unless quiet.
    void finish(bool quiet);
    bool allWell() const;

private:
    void message(const std::string& text);  // mutex held
    void drawProgress(bool force);          // mutex held

    mutable std::mutex mutex_;
    std::ostream& err_;
    const bool showProgress_;
    JsonReport& report_;
    ProgressLine counts_;
    bool warned_ = false;
    bool drawn_ = false;
    const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point lastDraw_{};
};
