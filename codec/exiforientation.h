#pragma once

#include <cstddef>

// Whether an APP1 segment's body is an EXIF block ("Exif" and two zero bytes).
bool IsExifBlock(const unsigned char* body, std::size_t size);

// The Orientation (1..8) in IFD0 of an APP1 "Exif" segment's body, read with
// libexif. 1 (as stored) when the block has no such tag, or when it is damaged
// or holds a value outside 1..8: a broken tag never stops a picture loading.
int ExifOrientation(const unsigned char* body, std::size_t size);

// The same for an EXIF block stored without the "Exif" header, as PNG's eXIf
// chunk holds it (WebP's EXIF chunk may hold either).
int BareExifOrientation(const unsigned char* block, std::size_t size);
