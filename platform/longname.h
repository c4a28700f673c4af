#pragma once

#include <string>

// Rewrites a path so that every component is the name its folder lists. A
// relative path is first made absolute against the current folder. A last
// component with "*" or "?" becomes the first entry (in name order) that it
// matches without regard to ASCII case; a name beginning with "." matches
// only a pattern that begins with ".". The rewrite stops at the first
// component that cannot be found; a path that does not exist comes back as it
// was (made absolute).
std::string LongFileName(const std::string& path);
