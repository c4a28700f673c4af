#pragma once

#include <cstdint>
#include <string>

// The memory one decode of any format may take: the JPEG budget, so that no
// format is a cheaper way to exhaust memory with a small hostile file.

// Whether a width x height picture fits when the decoder holds bytesPerPixel
// bytes of each pixel at once (its own buffer, the bitmap and a turned copy);
// false with the JPEG refusal's words otherwise. Called before the big allocation.
bool FitsDecodeBudget(int64_t width, int64_t height, int bytesPerPixel, std::string& reason);

// The budget as one allocation limit for a library that takes one.
int64_t DecodeBudgetBytes();
