// libFuzzer target: The camera RAW decoder (LibRaw's preview, then the JPEG path) on any
// bytes, and the resampler.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "codec/pictureformat.h"
#include "conversion/resampler.h"
#include "image/bitmap.h"
#include "tests/fuzz/fuzzcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const PictureFormat& format = *FormatOfExtension(".dng");
    for (const bool draft : {false, true}) {
        DecodeOptions options;
        options.draft = draft;
        options.autoOrient = true;
        options.toSrgb = true;
        TBitmap decoded;
        std::string reason;
        if (!DecodePicture(format, bytes, options, decoded, reason)) {
            FuzzCheck(!reason.empty(), "refused without a reason");
            continue;
        }
        if (decoded.isEmpty()) continue;
        FuzzTouch(decoded);
        TBitmap thumbnail;
        ScaleToThumbnail(thumbnail, decoded, 32);
        FuzzCheck(std::max(thumbnail.width(), thumbnail.height()) == 32, "thumbnail side not 32");
    }
    return 0;
}
