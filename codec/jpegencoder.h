#pragma once

#include "codec/jpegdecoder.h"
#include "codec/jpegsession.h"

class QIODevice;
class TBitmap;

// One compressor writing B, G, R rows as JPEG to a device. The library object
// is destroyed with this object. Failures throw EJPEG (or whatever the
// progress function threw).
class JpegEncoder {
public:
    // output and progress (null: no progress monitor) must outlive the encoder.
    JpegEncoder(QIODevice& output, const CodecProgressFn* progress);
    ~JpegEncoder();
    JpegEncoder(const JpegEncoder&) = delete;
    JpegEncoder& operator=(const JpegEncoder&) = delete;

    // Creates the compressor and sets its parameters for a 24-bit bitmap:
    // baseline-forced tables at quality; grayscale; progressive scans;
    // optimised Huffman tables.
    void Setup(const TBitmap& bitmap, int quality, bool gray, bool progressive,
               bool optimize = false);
    // Writes the bitmap given to Setup, top row first.
    void Encode(const TBitmap& bitmap);

private:
    static bool Report(CodecSession& session) noexcept;
    void Check(bool ok);

    QIODevice& output_;
    ProgressRelay progress_;
    CodecSession session_{};
};
