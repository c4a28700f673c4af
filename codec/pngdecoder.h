#pragma once

#include <QByteArray>
#include <cstdint>
#include <string>
#include <string_view>

#include "codec/pictureformat.h"

class TBitmap;

// The PNG row's parts, over libspng. 16-bit samples are rounded to 8 bits; a
// picture with an alpha channel or a transparent colour decodes to 32 bits.
// The eXIf chunk's orientation and the iCCP chunk's profile count as JPEG's.
bool IsPngStart(std::string_view head);
bool DecodePng(const QByteArray& bytes, const DecodeOptions& options, TBitmap& bitmap,
               std::string& reason);
