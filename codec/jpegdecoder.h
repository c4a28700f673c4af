#pragma once

#include <QByteArray>
#include <QList>
#include <QRect>
#include <QRgb>
#include <QSize>
#include <exception>
#include <functional>
#include <memory>
#include <optional>

#include "codec/jpegprogress.h"
#include "codec/jpegsession.h"
#include "codec/jpegsettings.h"
#include "codec/srgbtransform.h"

class TBitmap;

// One decompressor over stored bytes: header reads, size queries and decodes.
// The library object is destroyed with this object. Failures throw EJPEG (or
// whatever the progress function threw).
class JpegDecoder {
public:
    // bytes and progress (null: no progress monitor) must outlive the decoder.
    JpegDecoder(const QByteArray& bytes, const CodecProgressFn* progress);
    ~JpegDecoder();
    JpegDecoder(const JpegDecoder&) = delete;
    JpegDecoder& operator=(const JpegDecoder&) = delete;

    // Creates the decompressor and reads the header (an image is required).
    // Refuses a header cut short and a file with more than kJpegMaxScans scans;
    // every later step stays within kJpegMemoryBudget.
    void ReadHeader();
    // ReadHeader, then the settings become the library's parameters (PrepareDecoder).
    void Prepare(const JpegSettings& settings);

    QSize ImageSize() const;      // from the header
    int ExifOrientation() const;  // 1..8 from the header's EXIF block, 1 without one
    QByteArray IccProfile();      // the embedded ICC profile, empty without one
    bool GrayFile() const;        // one grayscale component
    bool CmykFile() const;        // CMYK or YCCK
    bool MultiScan();             // more than one scan (progressive)
    QSize OutputSize();           // after Prepare: the size at the chosen scale
    // After Prepare: 8 bits per pixel with a palette, else B, G, R.
    bool EightBitOutput() const;

    // After Prepare: decodes into bitmap, sizing it. palette (Depth8 only)
    // becomes the colour map. Returns whether the bitmap's palette was made
    // from the decoder's own colour map. Rows decoded before a failure stay.
    bool Decode(TBitmap& bitmap, const std::optional<QList<QRgb>>& palette);

private:
    static bool Report(CodecSession& session) noexcept;
    void Check(bool ok);
    bool Cmyk() const;
    bool SetPaletteFromColormap(TBitmap& bitmap);
    // Before any large allocation: refuses a decoded bitmap that does not fit
    // the budget and leaves the library what the bitmap does not take.
    void ReserveBitmap();
    void PrepareSrgb();
    void ReadImage(TBitmap& bitmap);

    const QByteArray& bytes_;
    ProgressRelay progress_;
    CodecSession session_{};
    bool grayOutput_ = false;
    bool depth8_ = false;  // CMYK files: reduced to 8 bits after decoding
    bool srgbWanted_ = false;
    std::unique_ptr<SrgbTransform> srgb_;  // null: the samples stay as they are
};
