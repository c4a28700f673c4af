#pragma once

#include <QByteArray>
#include <cstdint>
#include <string>
#include <string_view>

#include "codec/pictureformat.h"

class TBitmap;

// The WebP row's parts, over libwebp: still pictures, and the first frame of
// an animation as it shows on its canvas. A picture with alpha decodes to 32
// bits; the EXIF chunk's orientation and the ICCP chunk's profile count as
// JPEG's.
bool IsWebpStart(std::string_view head);
bool DecodeWebp(const QByteArray& bytes, const DecodeOptions& options, TBitmap& bitmap,
                std::string& reason);
