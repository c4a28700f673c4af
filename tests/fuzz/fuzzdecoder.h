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
// turned upright and to sRGB, then scaled as a thumbnail; with draftToo once
// more as --draft decodes (a format with a draft path of its own).
inline int FuzzDecoder(const char* extension, const uint8_t* data, size_t size,
                       bool draftToo = false) {
    const PictureFormat* format = FormatOfExtension(extension);
    FuzzCheck(format != nullptr, "no such format");
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const bool draft : {false, true}) {
        if (draft && !draftToo) break;
        DecodeOptions options;
        options.autoOrient = true;
        options.toSrgb = true;
        options.draft = draft;
        TBitmap bitmap;
        std::string reason;
        const bool decoded = DecodePicture(*format, bytes, options, bitmap, reason);
        FuzzCheck(decoded || !reason.empty(), "refused without a reason");
        if (!decoded) continue;
        FuzzCheck(!bitmap.isEmpty(), "decoded an empty picture");
        FuzzTouch(bitmap);
        TBitmap thumbnail;
        ScaleToThumbnail(thumbnail, bitmap, 32);
        FuzzCheck(std::max(thumbnail.width(), thumbnail.height()) == 32, "thumbnail side not 32");
    }
    return 0;
}
