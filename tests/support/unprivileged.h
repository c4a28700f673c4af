#pragma once

#include <functional>
#include <string>

// Runs body where permissions bind: as this user, or, when this is root, in a
// child process as the user nobody, after giving it folder and all it holds.
// The body checks with EXPECT_*/ASSERT_*; a failure in the child fails the
// calling test.
void AsUnprivileged(const std::string& folder, const std::function<void()>& body);
