#pragma once

#include <cstdint>
#include <string>

// The counts of a batch run and the two lines made from them: the progress
// line a terminal shows while the run goes, and the summary at its end.
class ProgressLine {
public:
    enum class Outcome { Converted, UpToDate, Refused, Failed };

    explicit ProgressLine(uint64_t total) : total_(total) {}

    void count(Outcome outcome);
    uint64_t done() const { return converted_ + upToDate_ + refused_ + failed_; }
    bool allWell() const { return refused_ + failed_ == 0; }

    // "120 of 2000 files: 118 converted, 1 failed, 1 skipped, 0:42 left" (the time
    // from the rate of files read so far);
    // refused files count as failed, up-to-date ones as skipped.
    std::string progress(double elapsedSeconds) const;
    // "2000 files: 1990 converted, 5 up to date, 3 refused, 2 failed in 41.2 s"
    std::string summary(double elapsedSeconds) const;

private:
    uint64_t total_;
    uint64_t converted_ = 0, upToDate_ = 0, refused_ = 0, failed_ = 0;
};

// "0:42", "12:05", "1:02:03".
std::string ClockText(double seconds);
