#pragma once

#include <QByteArray>
#include <string>

#include "codec/pictureformat.h"

class TBitmap;

// The bitmap as an uncompressed BMP file.
bool EncodeBmp(const TBitmap& bitmap, const EncodeOptions& options, QByteArray& bytes,
               std::string& reason);
