#pragma once

#include <QByteArray>
#include <QList>
#include <QRect>
#include <QRgb>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "codec/graphicerrors.h"
#include "codec/jpegdata.h"
#include "codec/jpegsettings.h"
#include "image/bitmap.h"

class QIODevice;
class QPainter;

enum class TProgressStage { Starting, Running, Ending };

// One JPEG image, held as its compressed bytes (TJPEGData, shared by copies), as
// a decoded bitmap, or both; converts between the two on demand over libjpeg.
//
// States: bytes only (after loading: header read, nothing decoded), bytes and
// bitmap (after a decode), bitmap only (after Assign(TBitmap): the next save
// encodes it). Changing a decode setting drops the bitmap.
//
// Codec failures throw EJPEG ("JPEG エラー #%d" with libjpeg's message code);
// file failures throw EFOpenError / EFCreateError / EReadError / EWriteError.
// Paths are QStrings, encoded as UTF-8 when the file is opened: Japanese names
// work, a name whose bytes are not UTF-8 does not (the program reads files
// itself and hands their bytes to LoadFromBytes).
// An object, and the copies that share its data, belong to one thread at a
// time; different objects may work on different threads at once (the batch
// command runs one per job). DefaultJpegSettings() is made before any job.
class TJPEGImage {
public:
    // R is the band of rows decoded since the last report (empty while encoding).
    // A handler may throw EAbort to stop quietly: a decode keeps the rows it
    // has, an encode drops its new bytes.
    using ProgressEvent =
        std::function<void(TJPEGImage& sender, TProgressStage stage, int percentDone,
                           bool redrawNow, const QRect& r, const QString& msg)>;
    using ChangeEvent = std::function<void(TJPEGImage& sender)>;

    TJPEGImage();  // empty, settings copied from DefaultJpegSettings()
    ~TJPEGImage();
    TJPEGImage(const TJPEGImage&) = delete;
    TJPEGImage& operator=(const TJPEGImage&) = delete;

    // Shares the source's stored data and copies its decoded bitmap, if any;
    // the settings are not copied.
    void Assign(const TJPEGImage& source);
    // Holds a copy of the bitmap (and no bytes) for the next save to encode.
    void Assign(const TBitmap& source);
    // Copies the decoded bitmap into dest, decoding first if needed. The result
    // is 8-bit with a palette for Depth8 or grayscale output, else 24-bit.
    void AssignTo(TBitmap& dest);

    // Loading reads the header only; pixels are decoded on first need.
    void LoadFromFile(const QString& path);
    void LoadFromStream(QIODevice& stream);  // the bytes from its position to its end
    void LoadFromBytes(const QByteArray& bytes);
    // Saving encodes first when no bytes are held (a bitmap-only object), with
    // the EncodeQuality and ProgressiveWrite in force now; an empty bitmap
    // gives zero bytes. SaveToFile encodes before it creates the file.
    void SaveToFile(const QString& path);
    void SaveToStream(QIODevice& stream);
    QByteArray SaveToBytes();

    // The decoded bitmap's size if one exists; otherwise the header's size at
    // ScaleFull, else the size the library gives at DecodeScale (rounded up).
    int Width();
    int Height();
    [[noreturn]] void SetWidth(int value);   // EInvalidGraphicOperation
    [[noreturn]] void SetHeight(int value);  // EInvalidGraphicOperation
    // False whenever bytes are held, even zero bytes.
    bool Empty() const;
    // Both hold bytes: same bytes; otherwise: the same shared stored data.
    bool Equals(const TJPEGImage& other) const;

    // The decoded bitmap's palette, else the supplied one, else (Depth24 on a
    // screen of 8 bits or fewer) a halftone palette; empty means none.
    QList<QRgb> Palette();
    // A palette used as the colour map of Depth8 decoding.
    void SetPalette(const QList<QRgb>& palette);

    // Stretches the decoded bitmap (decoding first if needed) into rect.
    void Draw(QPainter& painter, const QRect& rect);
    // The decoded bitmap, decoding first if needed.
    const TBitmap& Bitmap();

    // Settings. Changing a decode setting drops the decoded bitmap; a value
    // equal to the current one does nothing. EncodeQuality and
    // ProgressiveWrite take effect at the next encode.
    int EncodeQuality() const { return settings_.EncodeQuality; }
    void SetEncodeQuality(int value);  // clamped to 1..100
    bool ProgressiveWrite() const { return settings_.ProgressiveWrite; }
    void SetProgressiveWrite(bool value) { settings_.ProgressiveWrite = value; }
    // Optimised Huffman tables at the next encode: same pixels, a smaller file.
    // Not one of the stored settings: off for every new object.
    bool OptimizeCoding() const { return optimizeCoding_; }
    void SetOptimizeCoding(bool value) { optimizeCoding_ = value; }
    JpegDecodeMode DecodeMode() const { return settings_.DecodeMode; }
    void SetDecodeMode(JpegDecodeMode value);
    JpegOutputDepth OutputDepth() const { return settings_.OutputDepth; }
    void SetOutputDepth(JpegOutputDepth value);
    bool BlockSmoothing() const { return settings_.BlockSmoothing; }
    void SetBlockSmoothing(bool value);
    JpegDecodeScale DecodeScale() const { return settings_.DecodeScale; }
    void SetDecodeScale(JpegDecodeScale value);
    bool GrayOutput() const { return settings_.GrayOutput; }
    void SetGrayOutput(bool value);
    bool ScanByScanDisplay() const { return settings_.ScanByScanDisplay; }
    void SetScanByScanDisplay(bool value);
    bool SrgbOutput() const { return settings_.SrgbOutput; }
    void SetSrgbOutput(bool value);
    // Whether the stored image is grayscale (from the header or the encode).
    bool Grayscale() const { return data_->Gray; }
    // The stored image's EXIF Orientation, 1..8 (1 without one); the decoded
    // bitmap is never turned.
    int Orientation() const { return data_->Orientation; }
    // The stored image's colour space is CMYK (or YCCK), and its ICC profile.
    bool Cmyk() const { return data_->Cmyk; }
    const QByteArray& IccProfile() const { return data_->IccProfile; }

    bool Modified() const { return modified_; }
    void SetModified(bool value) { modified_ = value; }
    void SetOnChange(ChangeEvent handler) { onChange_ = std::move(handler); }
    void SetOnProgress(ProgressEvent handler) { onProgress_ = std::move(handler); }

    // The shared stored data and how many objects hold it.
    const TJPEGData& Data() const { return *data_; }
    long DataHolders() const { return data_.use_count(); }

private:
    template <typename T>
    void SetDecodeSetting(T& setting, T value, bool sizeChanges);
    void Changed();
    void Progress(TProgressStage stage, int percent, bool redrawNow, const QRect& r);
    void DropBitmap();
    void NewData();
    void ReadJpegStream(QByteArray bytes);
    void DecodeToBitmap();
    void EncodeFromBitmap();
    void ComputeScaledSize();

    std::shared_ptr<TJPEGData> data_;
    std::optional<TBitmap> bitmap_;
    int scaledWidth_ = 0;
    int scaledHeight_ = 0;
    std::optional<QList<QRgb>> suppliedPalette_;
    JpegSettings settings_;
    bool scaledSizeStale_ = true;
    bool modified_ = false;
    bool optimizeCoding_ = false;
    ChangeEvent onChange_;
    ProgressEvent onProgress_;
};
