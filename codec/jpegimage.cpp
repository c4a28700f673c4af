#include "codec/jpegimage.h"

#include <QBuffer>
#include <QFile>
#include <QPainter>
#include <algorithm>

#include "codec/jpegcolor.h"
#include "codec/jpegdecoder.h"
#include "codec/jpegencoder.h"

TJPEGImage::TJPEGImage() : data_(std::make_shared<TJPEGData>()), settings_(DefaultJpegSettings()) {}

TJPEGImage::~TJPEGImage() = default;

void TJPEGImage::Changed() {
    modified_ = true;
    if (onChange_) onChange_(*this);
}

void TJPEGImage::DropBitmap() {
    bitmap_.reset();
}

void TJPEGImage::NewData() {
    data_ = std::make_shared<TJPEGData>();
    scaledSizeStale_ = true;
}

// Copying ------------------------------------------------------------------

void TJPEGImage::Assign(const TJPEGImage& source) {
    if (&source == this) return;
    data_ = source.data_;
    scaledSizeStale_ = true;
    // Our own bitmap belongs to the data we just let go of.
    bitmap_ = source.bitmap_;
    Changed();
}

void TJPEGImage::Assign(const TBitmap& source) {
    NewData();
    bitmap_ = source;
    Changed();
}

void TJPEGImage::AssignTo(TBitmap& dest) {
    dest = Bitmap();
}

const TBitmap& TJPEGImage::Bitmap() {
    if (!bitmap_) DecodeToBitmap();
    return *bitmap_;
}

// Loading and saving -------------------------------------------------------

void TJPEGImage::LoadFromFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) throw EFOpenError(path.toStdString());
    LoadFromStream(file);
}

void TJPEGImage::LoadFromStream(QIODevice& stream) {
    if (stream.isSequential()) {
        ReadJpegStream(stream.readAll());
        return;
    }
    const qint64 count = std::max<qint64>(0, stream.size() - stream.pos());
    QByteArray bytes = stream.read(count);
    if (bytes.size() != count) throw EReadError();
    ReadJpegStream(std::move(bytes));
}

void TJPEGImage::LoadFromBytes(const QByteArray& bytes) {
    ReadJpegStream(bytes);
}

void TJPEGImage::ReadJpegStream(QByteArray bytes) {
    NewData();
    DropBitmap();
    data_->Bytes = std::move(bytes);
    if (!data_->Bytes->isEmpty()) {
        JpegDecoder decoder(*data_->Bytes, nullptr);
        decoder.ReadHeader();
        data_->Width = decoder.ImageSize().width();
        data_->Height = decoder.ImageSize().height();
        data_->Gray = decoder.GrayFile();
        data_->Orientation = decoder.ExifOrientation();
        data_->Cmyk = decoder.CmykFile();
        data_->IccProfile = decoder.IccProfile();
        settings_.ProgressiveWrite = decoder.MultiScan();
    }
    Changed();
}

void TJPEGImage::SaveToFile(const QString& path) {
    // Encode before touching the file, so a failed encode leaves no empty file.
    const QByteArray bytes = SaveToBytes();
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw EFCreateError(path.toStdString());
    if (file.write(bytes) != bytes.size()) throw EWriteError();
}

void TJPEGImage::SaveToStream(QIODevice& stream) {
    const QByteArray bytes = SaveToBytes();
    if (!bytes.isEmpty() && stream.write(bytes) != bytes.size()) throw EWriteError();
}

QByteArray TJPEGImage::SaveToBytes() {
    if (!data_->Bytes) EncodeFromBitmap();
    return data_->Bytes.value_or(QByteArray());
}

// Size, emptiness, equality ------------------------------------------------

int TJPEGImage::Width() {
    if (bitmap_) return bitmap_->width();
    if (settings_.DecodeScale == JpegDecodeScale::ScaleFull) return data_->Width;
    ComputeScaledSize();
    return scaledWidth_;
}

int TJPEGImage::Height() {
    if (bitmap_) return bitmap_->height();
    if (settings_.DecodeScale == JpegDecodeScale::ScaleFull) return data_->Height;
    ComputeScaledSize();
    return scaledHeight_;
}

void TJPEGImage::SetWidth(int) {
    throw EInvalidGraphicOperation("JPEG イメージのサイズは変更できません");
}

void TJPEGImage::SetHeight(int) {
    throw EInvalidGraphicOperation("JPEG イメージのサイズは変更できません");
}

void TJPEGImage::ComputeScaledSize() {
    if (!scaledSizeStale_) return;
    if (!data_->Bytes || data_->Bytes->isEmpty()) {
        // Nothing to ask the library about: zero, as for a full-size query.
        scaledWidth_ = scaledHeight_ = 0;
    } else {
        JpegDecoder decoder(*data_->Bytes, nullptr);
        decoder.Prepare(settings_);
        const QSize size = decoder.OutputSize();
        scaledWidth_ = size.width();
        scaledHeight_ = size.height();
        settings_.ProgressiveWrite = decoder.MultiScan();
    }
    scaledSizeStale_ = false;
}

bool TJPEGImage::Empty() const {
    if (data_->Bytes) return false;
    return !bitmap_ || bitmap_->isEmpty();
}

bool TJPEGImage::Equals(const TJPEGImage& other) const {
    if (data_->Bytes && other.data_->Bytes) return *data_->Bytes == *other.data_->Bytes;
    return data_ == other.data_;
}

// Palette and drawing ------------------------------------------------------

QList<QRgb> TJPEGImage::Palette() {
    if (bitmap_) return bitmap_->palette();
    if (suppliedPalette_) return *suppliedPalette_;
    if (settings_.OutputDepth == JpegOutputDepth::Depth24 && ScreenBitsPerPixel() <= 8) {
        suppliedPalette_ = HalftonePalette();
        return *suppliedPalette_;
    }
    return {};
}

void TJPEGImage::SetPalette(const QList<QRgb>& palette) {
    std::optional<QList<QRgb>> value;
    if (!palette.isEmpty()) value = palette;
    if (value == suppliedPalette_) return;
    const bool dropped = bitmap_ && bitmap_->palette() != palette;
    if (dropped) DropBitmap();
    suppliedPalette_ = std::move(value);
    if (dropped) Changed();
}

void TJPEGImage::Draw(QPainter& painter, const QRect& rect) {
    const TBitmap& bitmap = Bitmap();
    if (!bitmap.isEmpty()) painter.drawImage(rect, bitmap.image());
}

// Settings -----------------------------------------------------------------

void TJPEGImage::SetEncodeQuality(int value) {
    settings_.EncodeQuality = static_cast<std::uint8_t>(std::clamp(value, 1, 100));
}

// A decode setting that changes drops the decoded bitmap; sizeChanges marks
// the scaled size for asking the library again.
template <typename T>
void TJPEGImage::SetDecodeSetting(T& setting, T value, bool sizeChanges) {
    if (value == setting) return;
    setting = value;
    DropBitmap();
    if (sizeChanges) scaledSizeStale_ = true;
    Changed();
}

void TJPEGImage::SetDecodeMode(JpegDecodeMode value) {
    SetDecodeSetting(settings_.DecodeMode, value, false);
}
void TJPEGImage::SetOutputDepth(JpegOutputDepth value) {
    SetDecodeSetting(settings_.OutputDepth, value, false);
}
void TJPEGImage::SetBlockSmoothing(bool value) {
    SetDecodeSetting(settings_.BlockSmoothing, value, false);
}
void TJPEGImage::SetDecodeScale(JpegDecodeScale value) {
    SetDecodeSetting(settings_.DecodeScale, value, true);
}
void TJPEGImage::SetGrayOutput(bool value) {
    SetDecodeSetting(settings_.GrayOutput, value, true);
}
void TJPEGImage::SetScanByScanDisplay(bool value) {
    SetDecodeSetting(settings_.ScanByScanDisplay, value, false);
}
void TJPEGImage::SetSrgbOutput(bool value) {
    SetDecodeSetting(settings_.SrgbOutput, value, false);
}

// Decoding and encoding ----------------------------------------------------

void TJPEGImage::Progress(TProgressStage stage, int percent, bool redrawNow, const QRect& r) {
    if (onProgress_) onProgress_(*this, stage, percent, redrawNow, r, QString());
}

void TJPEGImage::DecodeToBitmap() {
    bitmap_.emplace();
    if (!data_->Bytes) return;  // nothing held: an empty bitmap

    const CodecProgressFn running = [this](int percent, bool redrawNow, const QRect& band) {
        Progress(TProgressStage::Running, percent, redrawNow, band);
    };
    bool done = false;
    std::exception_ptr failure;
    try {
        JpegDecoder decoder(*data_->Bytes, &running);
        decoder.Prepare(settings_);
        Progress(TProgressStage::Starting, 0, false, QRect());
        if (suppliedPalette_ && settings_.OutputDepth == JpegOutputDepth::Depth24)
            suppliedPalette_.reset();
        if (decoder.Decode(*bitmap_, suppliedPalette_)) modified_ = true;
        done = true;
    } catch (const EAbort&) {
        // Stopped by the progress handler: keep the rows decoded so far.
    } catch (...) {
        failure = std::current_exception();
    }
    try {
        Progress(TProgressStage::Ending, done ? 100 : 0, modified_, QRect());
    } catch (const EAbort&) {
    }
    if (modified_) Changed();
    if (failure) {
        // A failed decode leaves no bitmap, so the next request fails again
        // instead of handing out a half-made picture.
        DropBitmap();
        std::rethrow_exception(failure);
    }
}

void TJPEGImage::EncodeFromBitmap() {
    const CodecProgressFn running = [this](int percent, bool redrawNow, const QRect& band) {
        Progress(TProgressStage::Running, percent, redrawNow, band);
    };
    // Fresh data: holders of the old one keep theirs.
    NewData();
    data_->Bytes = QByteArray();
    bool done = false;
    std::exception_ptr failure;
    try {
        if (bitmap_ && !bitmap_->isEmpty()) {
            data_->Width = bitmap_->width();
            data_->Height = bitmap_->height();
            TBitmap copy = *bitmap_;
            copy.setPixelFormat(TBitmap::PixelFormat::Bits24);
            QByteArray bytes;
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            JpegEncoder encoder(buffer, &running);
            encoder.Setup(copy, settings_.EncodeQuality, settings_.GrayOutput,
                          settings_.ProgressiveWrite, optimizeCoding_);
            if (settings_.GrayOutput) data_->Gray = true;
            Progress(TProgressStage::Starting, 0, false, QRect());
            encoder.Encode(copy);
            buffer.close();
            data_->Bytes = std::move(bytes);
        }
        done = true;
    } catch (...) {
        failure = std::current_exception();
    }
    try {
        Progress(TProgressStage::Ending, done ? 100 : 0, false, QRect());
    } catch (const EAbort&) {
    }
    if (failure) {
        // No half-written bytes stay behind: the next save encodes again.
        NewData();
        try {
            std::rethrow_exception(failure);
        } catch (const EAbort&) {
        }
    }
}
