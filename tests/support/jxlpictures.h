#pragma once

#include <QByteArray>

class TBitmap;

// JPEG XL files made with libjxl's own encoder, for the decoder's tests.
struct JxlRecipe {
    bool lossless = true;
    float distance = 1.0f;  // lossy: libjxl's Butteraugli distance (1 is visually lossless)
    int orientation = 1;    // the codestream's orientation, EXIF-style 1..8
    // An Exif box with this Orientation, which puts the codestream in the
    // ISO-BMFF container; 0: none, a bare codestream.
    int exifOrientation = 0;
    QByteArray profile;  // an ICC profile to tag the picture with; empty: sRGB
    // 16-bit samples: byte v stored as v * 257 - 100 (0 as 0), which rounds to v.
    bool wide = false;
};

// picture (24-bit, or 32-bit with alpha) as the bytes of a JPEG XL file;
// fails the calling test (and returns empty bytes) when libjxl refuses.
QByteArray EncodeJxl(const TBitmap& picture, const JxlRecipe& recipe = {});
