// libFuzzer target: the JPEG XL decoder (libjxl) on any bytes: the signature,
// the size check at the basic info, the first frame, the colours and the
// resampler.

#include "tests/fuzz/fuzzdecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FuzzDecoder(".jxl", data, size);
}
