#include "tests/support/unprivileged.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

namespace {

constexpr uid_t kNobody = 65534;  // and the group of that number

bool GiveAway(const std::string& folder) {
    namespace fs = std::filesystem;
    if (lchown(folder.c_str(), kNobody, kNobody) != 0) return false;
    std::error_code error;
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error))
        if (lchown(it->path().c_str(), kNobody, kNobody) != 0) return false;
    return !error;
}

}  // namespace

void AsUnprivileged(const std::string& folder, const std::function<void()>& body) {
    if (geteuid() != 0) {
        body();
        return;
    }
    ASSERT_TRUE(GiveAway(folder)) << folder;
    const int result = RunUnprivileged([&] {
        body();
        // Failures were printed in the child; its status carries them here.
        return ::testing::Test::HasFailure() ? 1 : 0;
    });
    EXPECT_EQ(result, 0) << "as the user nobody (-1: could not become nobody; 1: a check "
                            "failed, see above)";
}
