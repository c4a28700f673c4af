#include "cli/progressline.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

void ProgressLine::count(Outcome outcome) {
    switch (outcome) {
        case Outcome::Converted:
            ++converted_;
            break;
        case Outcome::UpToDate:
            ++upToDate_;
            break;
        case Outcome::Refused:
            ++refused_;
            break;
        case Outcome::Failed:
            ++failed_;
            break;
    }
}

std::string ProgressLine::progress(double elapsedSeconds) const {
    const uint64_t finished = done();
    std::string text = std::to_string(finished) + " of " + std::to_string(total_) +
                       " files: " + std::to_string(converted_) + " converted, " +
                       std::to_string(refused_ + failed_) + " failed, " +
                       std::to_string(upToDate_) + " skipped, ";
    // Up-to-date and refused files cost next to nothing: the rate is that of
    // the files read.
    const uint64_t worked = converted_ + failed_;
    if (worked == 0 || finished >= total_) return text + "--:-- left";
    const double left = elapsedSeconds / double(worked) * double(total_ - finished);
    return text + ClockText(left) + " left";
}

std::string ProgressLine::summary(double elapsedSeconds) const {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f s", elapsedSeconds);
    return std::to_string(total_) + (total_ == 1 ? " file: " : " files: ") +
           std::to_string(converted_) + " converted, " + std::to_string(upToDate_) +
           " up to date, " + std::to_string(refused_) + " refused, " + std::to_string(failed_) +
           " failed in " + seconds;
}

std::string ClockText(double seconds) {
    const auto whole = static_cast<long long>(std::ceil(std::max(0.0, seconds)));
    char text[32];
    if (whole >= 3600) {
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60,
                      whole % 60);
    } else {
        std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
    }
    return text;
}
