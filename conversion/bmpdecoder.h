#pragma once

#include <QByteArray>
#include <string>

class TBitmap;

// Reads a BMP file's bytes into a 24-bit bitmap, after the layout checks of
// CheckBmpLayout. Decoded here: 16- and 32-bit pixels, every colour mask
// scaled to the full 0..255 range (Qt's reader shifts 5-bit channels, so its
// white is 248), and RLE streams, whose skipped pixels take palette entry 0
// (Qt's reader leaves them as uninitialised memory). The other depths go
// through Qt's BMP reader. False, with a reason, when the file is refused.
bool DecodeBmp(const QByteArray& data, TBitmap& bitmap, std::string& reason);
