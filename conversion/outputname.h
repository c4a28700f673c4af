#pragma once

#include <string>
#include <string_view>

// Paths are the file system's bytes with "/" separators. No UTF-8 sequence
// holds the byte of "/" or ".", so plain byte searches never split a character.

struct PictureFormat;

// destination + prefix + the source's name without extension + suffix + the
// source's extension, which becomes the format's first (".jpg") unless it is
// one of the format's (".jpg" or ".jpeg") in any case. The destination brings
// its own trailing "/"; prefix and suffix go in as they are. Without a format:
// JPEG.
std::string ThumbnailPath(std::string_view source, std::string_view destination,
                          std::string_view prefix, std::string_view suffix,
                          const PictureFormat* format = nullptr);
