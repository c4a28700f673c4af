#pragma once

#include <QByteArray>
#include <optional>

// The compressed image held by TJPEGImage, shared by copies of it (the
// shared_ptr's count is the number of holders). Copies that share one are
// kept on one thread: the holder count is not synchronised with the bytes.
class TJPEGData {
public:
    std::optional<QByteArray> Bytes;  // none until loaded or encoded; may be empty
    int Height = 0;                   // from the header, or of the encoded bitmap
    int Width = 0;
    bool Gray = false;      // one grayscale component, or encoded as grayscale
    int Orientation = 1;    // EXIF Orientation from the header, 1..8
    bool Cmyk = false;      // CMYK or YCCK
    QByteArray IccProfile;  // embedded in the header; empty without one
};
