#pragma once

#include <QByteArray>
#include <string>

class TBitmap;

// Pictures of the formats read beside BMP and JPEG, made with the libraries'
// own encoders from a 24-bit or 32-bit (straight alpha) bitmap, lossless.
struct PictureTags {
    int orientation = 1;  // EXIF orientation (TIFF: its Orientation tag; JPEG XL: the codestream's)
    QByteArray profile;   // an ICC profile, or none
    // 16-bit samples: byte v stored as v * 257 - 100 (0 as 0), which rounds
    // to v and truncates to v - 1.
    bool wide = false;
};

// format: "PNG", "WebP", "JPEG XL", "TIFF" or "GIF" (opaque, made by ImageMagick from a PNG).
QByteArray EncodeTestPicture(const std::string& format, const TBitmap& picture,
                             const PictureTags& tags = {});
