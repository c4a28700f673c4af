// libFuzzer target: the BMP checks and decoder on any bytes.

#include <QImageReader>
#include <cstddef>
#include <cstdint>
#include <string>

#include "codec/bmpdecoder.h"
#include "image/bitmap.h"
#include "tests/fuzz/fuzzcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A smaller allocation limit keeps each input fast; the checks are the same.
    QImageReader::setAllocationLimit(16);
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    std::string reason;
    const bool startOk = CheckBmpStart(bytes, int64_t(size), reason);
    TBitmap bitmap;
    reason.clear();
    const bool decoded = DecodeBmp(bytes, bitmap, reason);
    // Whatever the start refuses, the decoder refuses; a refusal has a reason.
    FuzzCheck(startOk || !decoded, "decoded what the header check refused");
    FuzzCheck(decoded || !reason.empty(), "refused without a reason");
    if (decoded) {
        FuzzCheck(bitmap.pixelFormat() == TBitmap::PixelFormat::Bits24, "not 24 bits a pixel");
        FuzzTouch(bitmap);
    }
    return 0;
}
