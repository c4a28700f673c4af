#pragma once

#include <QByteArray>
#include <cstdint>
#include <string>

class TBitmap;

// Reads a BMP file's bytes into a 24-bit bitmap, after the layout checks of
// CheckBmpLayout. Decoded here: 16- and 32-bit pixels, every colour mask
// scaled to the full 0..255 range (Qt's reader shifts 5-bit channels, so its
// white is 248), and RLE4 and RLE8 streams under every header size, whose
// skipped pixels take palette entry 0 (Qt's reader leaves them as
// uninitialised memory). Only uncompressed 1-, 4-, 8- and 24-bit files go
// through Qt's BMP reader; other kinds (RLE24, Huffman, embedded JPEG or PNG)
// are refused. False, with a reason, when the file is refused.
bool DecodeBmp(const QByteArray& data, TBitmap& bitmap, std::string& reason);

// Before the whole file is read: whether head (the file's first bytes, at
// least its headers) and fileSize describe a BMP file that can be decoded.
bool CheckBmpStart(const QByteArray& head, int64_t fileSize, std::string& reason);
