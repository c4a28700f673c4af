#include "tests/support/unprivileged.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

namespace {

constexpr uid_t kNobody = 65534;
constexpr gid_t kNoGroup = 65534;

bool GiveAway(const std::string& folder) {
    namespace fs = std::filesystem;
    if (lchown(folder.c_str(), kNobody, kNoGroup) != 0) return false;
    std::error_code error;
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error))
        if (lchown(it->path().c_str(), kNobody, kNoGroup) != 0) return false;
    return !error;
}

}  // namespace

void AsUnprivileged(const std::string& folder, const std::function<void()>& body) {
    if (geteuid() != 0) {
        body();
        return;
    }
    ASSERT_TRUE(GiveAway(folder)) << folder;
    std::fflush(nullptr);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (setgroups(0, nullptr) != 0 || setresgid(kNoGroup, kNoGroup, kNoGroup) != 0 ||
            setresuid(kNobody, kNobody, kNobody) != 0 || geteuid() != kNobody)
            _exit(3);
        body();
        std::fflush(nullptr);
        // Failures were printed here; the status carries them to the parent.
        _exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "as the user nobody: " << (WIFEXITED(status) ? WEXITSTATUS(status) : -1)
        << " (3: could not become nobody; 1: a check failed, see above)";
}
