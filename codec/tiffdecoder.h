#pragma once

#include <QByteArray>
#include <cstdint>
#include <string>
#include <string_view>

#include "codec/pictureformat.h"

class TBitmap;

// The TIFF row's parts, over libtiff: the first page, in any of the sample
// layouts libtiff turns into RGBA (16-bit samples rounded to 8 bits). A page
// with alpha decodes to 32 bits; its Orientation tag and ICC profile tag count
// as a JPEG's EXIF orientation and profile.
bool IsTiffStart(std::string_view head);
bool DecodeTiff(const QByteArray& bytes, const DecodeOptions& options, TBitmap& bitmap,
                std::string& reason);
