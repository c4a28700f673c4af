// libFuzzer target: The camera RAW decoder (LibRaw's preview, then the JPEG path, also at
// --draft's scale) on any bytes, and the resampler.

#include "tests/fuzz/fuzzdecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FuzzDecoder(".dng", data, size, true);
}
