#pragma once

#include <string>
#include <vector>

#include "tests/support/filebytes.h"

// Writes a mixed set of BMP and JPEG pictures (sizes from tiny to above the
// 2000-pixel decode threshold, some with Japanese names) into folder; returns
// their paths in a fixed order.
std::vector<std::string> MakeBatchPictures(const std::string& folder, int count);
