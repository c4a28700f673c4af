#pragma once

#include <QByteArray>
#include <cstdint>
#include <string>
#include <string_view>

#include "codec/pictureformat.h"

class TBitmap;

// The JPEG XL row, over libjxl: the bare codestream and the ISO-BMFF
// container, the first frame of an animation as it shows. libjxl turns the
// picture by the codestream's own orientation, which wins over any EXIF box,
// so no EXIF Orientation is applied on top. Any depth comes out at 8 bits,
// gray as three equal channels, alpha as a 32-bit bitmap's straight alpha.
bool IsJxlStart(std::string_view head);
bool DecodeJxl(const QByteArray& bytes, const DecodeOptions& options, TBitmap& bitmap,
               std::string& reason);
