#pragma once

#include <QByteArray>
#include <cstdint>
#include <string>
#include <string_view>

#include "codec/pictureformat.h"

class TBitmap;

// The GIF row's parts, over Qt's own reader: the first frame; a picture with
// a transparent colour decodes to 32 bits.
bool IsGifStart(std::string_view head);
bool DecodeGif(const QByteArray& bytes, const DecodeOptions& options, TBitmap& bitmap,
               std::string& reason);
