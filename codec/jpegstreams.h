#pragma once

#include <cstdio>

// jpeglib.h needs size_t and FILE declared first.
// clang-format off
#include <jpeglib.h>
// clang-format on

class QByteArray;
class QIODevice;

// StreamSource: the decompressor reads bytes through a 64 KiB buffer. Empty
// input raises JERR_INPUT_EMPTY; input that ends early gets an end-of-image
// marker (after the library's premature-end warning) so a cut file decodes.
// Call only inside a session function (the library may longjmp).
void AttachStreamSource(j_decompress_ptr cinfo, const QByteArray& bytes);
// Whether the source has run out of bytes and made up an end-of-image marker.
bool StreamSourceRanOut(j_decompress_ptr cinfo);

// StreamDestination: the compressor writes through a 4096-byte buffer; a short
// write raises JERR_FILE_WRITE.
void AttachStreamDestination(j_compress_ptr cinfo, QIODevice& output);
