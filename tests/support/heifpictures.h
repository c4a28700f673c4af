#pragma once

#include <QByteArray>

class TBitmap;

// HEIF and AVIF files made with libheif's own encoders, for the decoder's tests.
struct HeifRecipe {
    bool av1 = false;                    // AVIF (AV1) rather than HEIC (HEVC)
    int quality = 95;                    // lossy quality
    int orientation = 1;                 // EXIF-style 1..8, written as irot/imir boxes
    QByteArray profile;                  // an ICC profile to tag the picture with; empty: none
    const TBitmap* thumbnail = nullptr;  // encoded as the embedded thumbnail item
    int thumbnailSide = 0;               // the thumbnail's longer side
};

// picture (24-bit, or 32-bit with alpha) as the bytes of a HEIF or AVIF file;
// fails the calling test (and returns empty bytes) when libheif refuses.
QByteArray EncodeHeif(const TBitmap& picture, const HeifRecipe& recipe = {});
