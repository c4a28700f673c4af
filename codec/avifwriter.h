#pragma once

#include <QByteArray>
#include <optional>
#include <string>
#include <string_view>

#include "codec/pictureformat.h"

class TBitmap;

// The bitmap as an AVIF file (AV1 through libheif's encoder) at the options'
// quality, with alpha for a 32-bit bitmap; the comment, when set, as a
// "text/plain" metadata item of the picture.
bool EncodeAvif(const TBitmap& bitmap, const EncodeOptions& options, QByteArray& bytes,
                std::string& reason);

// The comment written with the picture, when it starts with prefix; none for
// a missing or unreadable file or no such comment.
std::optional<std::string> ReadAvifComment(const std::string& path, std::string_view prefix);
