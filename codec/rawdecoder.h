#pragma once

#include <QByteArray>
#include <cstdint>
#include <string>
#include <string_view>

#include "codec/pictureformat.h"

class TBitmap;

// The camera RAW row, read by LibRaw: the JPEG preview the camera embeds,
// decoded as any JPEG file (its EXIF Orientation; without one, the RAW's own).
// RAW files without a JPEG preview are refused.
//
// Many RAW formats are TIFF files; the first bytes tell RAW only for the
// formats with a signature of their own (CR2, CR3, RAF, ORF, RW2, and DNG by
// its DNGVersion tag), so plain-TIFF ones (NEF, ARW) are known by extension.
bool IsRawStart(std::string_view head);
bool CheckRawStart(const QByteArray& head, int64_t fileSize, std::string& reason);
bool DecodeRawPicture(const QByteArray& bytes, const DecodeOptions& options, TBitmap& bitmap,
                      std::string& reason);

// The EXIF Orientation (1..8) of LibRaw's flip value (bit 0 mirrors, bit 1
// flips, bit 2 transposes).
int OrientationOfFlip(int flip);
