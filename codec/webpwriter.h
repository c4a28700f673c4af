#pragma once

#include <QByteArray>
#include <optional>
#include <string>
#include <string_view>

#include "codec/pictureformat.h"

class TBitmap;

// The bitmap as a lossy WebP file at the options' quality, with alpha for a
// 32-bit bitmap; the comment, when set, as a chunk of its own ("TBRX").
bool EncodeWebp(const TBitmap& bitmap, const EncodeOptions& options, QByteArray& bytes,
                std::string& reason);

// The chunk EncodeWebp writes the comment in.
constexpr const char* kWebpCommentChunk = "TBRX";

// The comment written with the picture, when it starts with prefix; none for
// a missing or unreadable file or no such comment.
std::optional<std::string> ReadWebpComment(const std::string& path, std::string_view prefix);
