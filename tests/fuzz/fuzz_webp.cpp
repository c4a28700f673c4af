// libFuzzer target: the WebP decoder on any bytes, at full size and scaled as
// --draft decodes, then the resampler.

#include "tests/fuzz/fuzzdecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FuzzDecoder(".webp", data, size, true);
}
