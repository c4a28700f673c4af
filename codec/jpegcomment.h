#pragma once

#include <QByteArray>
#include <optional>
#include <string>
#include <string_view>

// JPEG comment (COM) segments, spliced into encoded bytes where the library
// itself would write them: after the start marker and the APPn headers.

// jpeg with one comment segment added; text must be shorter than 65534 bytes.
QByteArray WithJpegComment(const QByteArray& jpeg, std::string_view text);

// The first comment of the JPEG file at path that starts with prefix, read
// from the file's head only; none for a missing file, another format or no
// such comment.
std::optional<std::string> ReadJpegComment(const std::string& path, std::string_view prefix);
