#include "cli/jobpool.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

void RunJobs(size_t count, size_t jobs, const std::function<void(size_t)>& work) {
    std::atomic<size_t> next{0};
    auto take = [&] {
        for (size_t i = next++; i < count; i = next++) work(i);
    };
    std::vector<std::thread> threads;
    try {
        for (size_t j = 1; j < std::min(count, jobs); ++j) threads.emplace_back(take);
    } catch (const std::system_error&) {
    }
    take();
    for (std::thread& thread : threads) thread.join();
}
