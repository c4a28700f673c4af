// libFuzzer target: the TIFF decoder on any bytes, then the resampler.

#include "tests/fuzz/fuzzdecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FuzzDecoder(".tif", data, size);
}
