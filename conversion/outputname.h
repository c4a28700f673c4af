#pragma once

#include <string>
#include <string_view>

// Paths are the file system's bytes with "/" separators. No UTF-8 sequence
// holds the byte of "/" or ".", so plain byte searches never split a character.

// From the last "." that stands after every "/" to the end, as written; empty
// when there is none.
std::string_view PathExtension(std::string_view path);

// The same, ASCII lower-cased: how the loader and writer compare extensions.
std::string LowerCaseExtension(std::string_view path);

// Whether a lower-cased extension names a JPEG file.
bool IsJpegExtension(std::string_view lowerExtension);

// destination + prefix + the source's name without extension + suffix + the
// source's extension, which becomes ".jpg" unless it is ".jpg" or ".jpeg" in
// any case. The destination brings its own trailing "/"; prefix and suffix go
// in as they are.
std::string ThumbnailPath(std::string_view source, std::string_view destination,
                          std::string_view prefix, std::string_view suffix);
