#pragma once

#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "conversion/sourceloader.h"

class RunHost;
class SrgbTransform;
class TBitmap;

// Loads and decodes the next files of a run on worker threads while the run
// scales and writes the current one. A decoded picture is handed over only if
// its load choices and the file (size, time, identity) are still those it was made
// from; otherwise the run loads the file itself. The workers never call the
// run's host: they decode with the choices taken when the file was scheduled.
// All that decode-ahead holds at once, file bytes and decoding included,
// stays within the JPEG decode budget; a file that does not fit is left to
// the run.
class DecodeAhead {
public:
    explicit DecodeAhead(int workers);
    ~DecodeAhead();
    DecodeAhead(const DecodeAhead&) = delete;
    DecodeAhead& operator=(const DecodeAhead&) = delete;

    // Schedules the queue's entries from first on, as many as there are
    // workers, each with its load choices read from host now; entries scheduled
    // before are kept.
    void schedule(const std::vector<std::string>& queue, size_t first, RunHost& host);
    // The picture of entry index if path was decoded ahead with these choices from the
    // file as it is now: bitmap, age (DOS date-time) and the thumbnail's
    // colour transform are then set. Waits for a decode in progress; drops
    // this entry and every one before it.
    bool take(size_t index, const std::string& path, const LoadChoices& shape, TBitmap& bitmap,
              uint32_t& age, std::unique_ptr<SrgbTransform>& colours);
    // Waits until nothing scheduled is waiting or decoding.
    void finishScheduled();

private:
    struct Job;
    void work();
    void decode(Job& job);
    bool reserve(Job& job, int64_t bytes);  // within the budget, or not at all

    const size_t depth_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::map<size_t, std::shared_ptr<Job>> jobs_;  // by queue index
    int64_t reserved_ = 0;                         // bytes held by jobs
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};
