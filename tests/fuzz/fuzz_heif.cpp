// libFuzzer target: The HEIF and AVIF decoder (libheif) on any bytes: the header, the size
// checks, the primary image or (--draft) the embedded thumbnail, and the resampler.

#include "tests/fuzz/fuzzdecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FuzzDecoder(".heic", data, size, true);
}
