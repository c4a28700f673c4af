#include "cli/batchlog.h"

namespace {

constexpr const char* kProgram = "thumbrix-batch: ";
// A terminal redrawn for each of a million files would be the bottleneck.
constexpr std::chrono::milliseconds kRedraw{100};

const char* StatusName(ProgressLine::Outcome outcome) {
    switch (outcome) {
        case ProgressLine::Outcome::Converted:
            return "written";
        case ProgressLine::Outcome::UpToDate:
            return "skipped";
        case ProgressLine::Outcome::Refused:
            return "refused";
        case ProgressLine::Outcome::Failed:
            return "failed";
    }
    return "";
}

}  // namespace

std::string EscapeControls(std::string_view text) {
    std::string shown;
    shown.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F) {
            shown += c;
            continue;
        }
        static const char kHex[] = "0123456789abcdef";
        shown += "\\x";
        shown += kHex[byte >> 4];
        shown += kHex[byte & 15];
    }
    return shown;
}

BatchLog::BatchLog(std::ostream& err, bool showProgress, uint64_t total, JsonReport& report)
    : err_(err), showProgress_(showProgress), report_(report), counts_(total) {}

void BatchLog::done(Outcome outcome, const std::string& source, const std::string& output,
                    const std::string& reason, long long milliseconds) {
    report_.write({source, output, StatusName(outcome), reason, milliseconds});
    std::lock_guard lock(mutex_);
    counts_.count(outcome);
    if (outcome == Outcome::Refused || outcome == Outcome::Failed)
        message(source + ": not converted: " + reason);
    drawProgress(false);
}

void BatchLog::warn(const std::string& text) {
    std::lock_guard lock(mutex_);
    warned_ = true;
    message(text);
}

void BatchLog::inputFailed(const std::string& name, const std::string& reason) {
    report_.write({name, "", StatusName(Outcome::Failed), reason, 0});
    std::lock_guard lock(mutex_);
    warned_ = true;
    message(name + ": " + reason);
}

void BatchLog::finish(bool quiet) {
    std::lock_guard lock(mutex_);
    if (showProgress_ && drawn_) err_ << "\r\033[K";
    if (!quiet) {
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start_;
        err_ << kProgram << counts_.summary(elapsed.count()) << '\n';
    }
    err_.flush();
}

bool BatchLog::allWell() const {
    std::lock_guard lock(mutex_);
    return counts_.allWell() && !warned_;
}

void BatchLog::message(const std::string& text) {
    if (showProgress_ && drawn_) err_ << "\r\033[K";
    err_ << kProgram << EscapeControls(text) << '\n';
    drawn_ = false;
    drawProgress(true);
}

void BatchLog::drawProgress(bool force) {
    if (!showProgress_) return;
    const auto now = std::chrono::steady_clock::now();
    if (!force && drawn_ && now - lastDraw_ < kRedraw) return;
    const std::chrono::duration<double> elapsed = now - start_;
    err_ << "\r\033[K" << kProgram << counts_.progress(elapsed.count()) << std::flush;
    drawn_ = true;
    lastDraw_ = now;
}
