#pragma once

#include <QByteArray>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "codec/pictureformat.h"
#include "conversion/resampler.h"
#include "image/bitmap.h"
#include "tests/fuzz/fuzzcheck.h"

// The body of a decoder's target: the format's row of the table on any bytes,
// turned upright and to sRGB, then scaled as a thumbnail.
inline int FuzzDecoder(const char* extension, const uint8_t* data, size_t size) {
    const PictureFormat* format = FormatOfExtension(extension);
    FuzzCheck(format != nullptr, "no such format");
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    DecodeOptions options;
    options.autoOrient = true;
    options.toSrgb = true;
    TBitmap bitmap;
    std::string reason;
    const bool decoded = DecodePicture(*format, bytes, options, bitmap, reason);
    FuzzCheck(decoded || !reason.empty(), "refused without a reason");
    if (!decoded) return 0;
    FuzzCheck(!bitmap.isEmpty(), "decoded an empty picture");
    FuzzTouch(bitmap);
    TBitmap thumbnail;
    ScaleToThumbnail(thumbnail, bitmap, 32);
    FuzzCheck(std::max(thumbnail.width(), thumbnail.height()) == 32, "thumbnail side not 32");
    return 0;
}
