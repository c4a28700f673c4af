#pragma once

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>

// Runs body in a child process that, when the tests run as root (as CI does),
// has become the user nobody, whom file permissions stop. Returns the body's
// result (0 to 255), or -1 when the child could not drop root or did not end.
inline int RunUnprivileged(const std::function<int()>& body) {
    constexpr uid_t kNobody = 65534;
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 &&
            (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0))
            _exit(255);
        const int result = body();
        std::fflush(nullptr);
        _exit(result);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status) == 255 ? -1 : WEXITSTATUS(status);
}

// Runs body where permissions bind: as this user, or, when this is root, as
// the user nobody above, after giving it folder and all it holds. The body
// checks with EXPECT_*/ASSERT_*; a failure in the child fails the calling test.
void AsUnprivileged(const std::string& folder, const std::function<void()>& body);
