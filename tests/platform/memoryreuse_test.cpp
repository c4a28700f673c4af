#include "platform/memoryreuse.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

long ThreadPageFaults() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_minflt;
}

}  // namespace

// A picture-sized block freed on a thread of its own comes back without its
// pages being faulted in again (the C library's defaults hand them back).
TEST(MemoryReuse, AFreedPictureIsReusedWithoutFaultingItsPagesInAgain) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's allocator has settings of its own";
#endif
    KeepFreedMemoryForReuse();
    constexpr size_t kBytes = size_t{12} << 20;
    long faults = 0;
    std::thread([&] {
        for (int round = 0; round < 2; ++round) {
            char* block = static_cast<char*>(std::malloc(kBytes));
            ASSERT_NE(block, nullptr);
            const long before = ThreadPageFaults();
            std::memset(block, round + 1, kBytes);
            faults = ThreadPageFaults() - before;
            std::free(block);
        }
    }).join();
    EXPECT_LT(faults, long(kBytes / 4096 / 10));
}
