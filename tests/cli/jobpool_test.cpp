#include "cli/jobpool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace {

// Each of the first items waits for as many to have started as may run at
// once: only jobs that truly run side by side all get there. A pool that runs
// one at a time is caught when the wait gives up.
TEST(JobPool, RunsEachItemOnceWithAsManyAtOnceAsAsked) {
    struct Row {
        size_t count, jobs, atOnce;
    };
    for (const Row r : {Row{6, 1, 1}, Row{6, 3, 3}, Row{2, 5, 2}, Row{0, 4, 0}}) {
        std::mutex mutex;
        std::condition_variable started;
        size_t begun = 0, running = 0, peak = 0;
        std::vector<int> runs(r.count, 0);
        RunJobs(r.count, r.jobs, [&](size_t i) {
            std::unique_lock lock(mutex);
            ++runs[i];
            ++begun;
            peak = std::max(peak, ++running);
            started.notify_all();
            started.wait_for(lock, std::chrono::minutes(1), [&] { return begun >= r.atOnce; });
            --running;
        });
        EXPECT_EQ(peak, r.atOnce) << r.count << " items, " << r.jobs << " jobs";
        EXPECT_EQ(std::count(runs.begin(), runs.end(), 1), std::ptrdiff_t(r.count));
    }
}

}  // namespace
