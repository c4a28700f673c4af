#pragma once

#include <QByteArray>
#include <cstdint>
#include <string>
#include <string_view>

#include "codec/pictureformat.h"

class TBitmap;

// The HEIF (HEVC) and AVIF (AV1) rows, both read by libheif. The primary image
// is decoded as the file shows it: libheif applies its own rotation, mirroring
// and cropping, so an EXIF Orientation is never applied on top. A picture with
// alpha becomes a 32-bit bitmap. Under draft, an embedded thumbnail at least
// twice the thumbnail size stands in for the picture.
bool IsHeifStart(std::string_view head);
bool IsAvifStart(std::string_view head);
bool CheckHeifStart(const QByteArray& head, int64_t fileSize, std::string& reason);
bool DecodeHeifPicture(const QByteArray& bytes, const DecodeOptions& options, TBitmap& bitmap,
                       std::string& reason);

// The largest side libheif is allowed to decode.
constexpr int kHeifMaxSide = 32768;
