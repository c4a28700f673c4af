#pragma once

#include <QByteArray>
#include <string>

#include "image/bitmap.h"

// Decodes a PNG, WebP or AVIF file ("PNG", "WebP", "AVIF") with the format's
// own library, independently of the program's code, into a 32-bit bitmap
// (blue, green, red, alpha); empty when the bytes do not decode.
TBitmap DecodeWithFormatLibrary(const std::string& format, const QByteArray& bytes);

// The largest difference of any channel, alpha included, between two 32-bit
// bitmaps of one size; -1 when their sizes differ.
int LargestChannelDifference(const TBitmap& a, const TBitmap& b);
