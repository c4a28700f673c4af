#pragma once

#include <QByteArray>
#include <optional>
#include <string>
#include <string_view>

#include "codec/pictureformat.h"

class TBitmap;

// The bitmap as a PNG file, 8 bits a channel, with alpha for a 32-bit bitmap;
// the comment, when set, as a tEXt chunk with the keyword "Comment".
bool EncodePng(const TBitmap& bitmap, const EncodeOptions& options, QByteArray& bytes,
               std::string& reason);

// The comment written with the picture, when it starts with prefix; none for
// a missing or unreadable file or no such comment.
std::optional<std::string> ReadPngComment(const std::string& path, std::string_view prefix);
