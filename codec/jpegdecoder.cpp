#include "codec/jpegdecoder.h"

#include <jerror.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "codec/exiforientation.h"
#include "codec/graphicerrors.h"
#include "codec/jpegcolor.h"
#include "codec/jpeglimits.h"
#include "image/bitmap.h"

namespace {

constexpr JDIMENSION kMaxRowsPerCall = 16;

}  // namespace

JpegDecoder::JpegDecoder(const QByteArray& bytes, const CodecProgressFn* progress)
    : bytes_(bytes), progress_(progress) {}

JpegDecoder::~JpegDecoder() {
    DestroySession(session_);
}

bool JpegDecoder::Report(CodecSession& session) noexcept {
    return static_cast<JpegDecoder*>(session.owner)
        ->progress_.Deliver(session, int(session.d.output_scanline), int(session.d.output_width),
                            int(session.d.output_height));
}

void JpegDecoder::Check(bool ok) {
    progress_.Check(session_, ok);
}

void JpegDecoder::ReadHeader() {
    session_.owner = this;
    session_.report = progress_.active() ? Report : nullptr;
    Check(CreateDecompressor(session_));
    session_.d.mem->max_memory_to_use = long(kJpegMemoryBudget);
    Check(::ReadHeader(session_, bytes_));
    // Counted before any scan is decoded: each one walks the whole picture.
    if (MultiScan() && CountJpegScans(bytes_, kJpegMaxScans + 1) > kJpegMaxScans)
        throw EJPEG(JERR_BAD_SCAN_SCRIPT, TooManyScansReason());
}

void JpegDecoder::ReserveBitmap() {
    jpeg_decompress_struct& d = session_.d;
    Check(CalcOutputDimensions(session_));
    // Rows of 3 (or 1) bytes a pixel padded to 4 bytes; each factor is below 2^17.
    const int64_t rowBytes = (int64_t{d.output_width} * (EightBitOutput() ? 1 : 3) + 3) / 4 * 4;
    const int64_t bitmapBytes = rowBytes * d.output_height;
    if (bitmapBytes >= kJpegMemoryBudget)
        throw EJPEG(JERR_OUT_OF_MEMORY, OverBudgetReason(d.image_width, d.image_height));
    d.mem->max_memory_to_use = long(kJpegMemoryBudget - bitmapBytes);
}

bool JpegDecoder::Cmyk() const {
    return session_.d.jpeg_color_space == JCS_CMYK || session_.d.jpeg_color_space == JCS_YCCK;
}

void JpegDecoder::Prepare(const JpegSettings& settings) {
    ReadHeader();
    jpeg_decompress_struct& d = session_.d;
    d.scale_num = 1;
    d.scale_denom = 1u << unsigned(settings.DecodeScale);
    d.do_block_smoothing = settings.BlockSmoothing ? TRUE : FALSE;
    grayOutput_ = settings.GrayOutput;
    if (Cmyk()) {
        // The library cannot turn CMYK into B, G, R (nor gray); we do it.
        d.out_color_space = JCS_CMYK;
        depth8_ = settings.OutputDepth == JpegOutputDepth::Depth8;
    } else {
        if (settings.GrayOutput) {
            d.out_color_space = JCS_GRAYSCALE;
        } else if (d.out_color_space != JCS_GRAYSCALE) {
            d.out_color_space = JCS_EXT_BGR;
        }
        if (settings.OutputDepth == JpegOutputDepth::Depth8 || d.out_color_space == JCS_GRAYSCALE) {
            d.quantize_colors = TRUE;
            d.desired_number_of_colors = 236;
        }
    }
    srgbWanted_ = settings.SrgbOutput && !settings.GrayOutput;
    if (settings.DecodeMode == JpegDecodeMode::SpeedFirst) {
        d.dct_method = JDCT_IFAST;
        d.two_pass_quantize = FALSE;
        d.dither_mode = JDITHER_ORDERED;
    }
    session_.finalDctMethod = d.dct_method;
    session_.finalTwoPassQuantize = d.two_pass_quantize;
    session_.finalDitherMode = d.dither_mode;
    if (settings.ScanByScanDisplay && MultiScan()) {
        d.enable_2pass_quant = d.two_pass_quantize;
        d.dct_method = JDCT_IFAST;
        d.two_pass_quantize = FALSE;
        d.dither_mode = JDITHER_ORDERED;
        d.buffered_image = TRUE;
    }
}

void JpegDecoder::PrepareSrgb() {
    const jpeg_decompress_struct& d = session_.d;
    SrgbTransform::Input input = SrgbTransform::Input::Bgr;
    if (Cmyk()) {
        input =
            d.saw_Adobe_marker ? SrgbTransform::Input::InvertedCmyk : SrgbTransform::Input::Cmyk;
    } else if (d.out_color_space == JCS_GRAYSCALE) {
        input = SrgbTransform::Input::Gray;
    }
    srgb_ = SrgbTransform::Make(IccProfile(), input);
}

int JpegDecoder::ExifOrientation() const {
    const SavedSegment& exif = session_.exif;
    return exif.data == nullptr ? 1 : ::ExifOrientation(exif.data, exif.length);
}

QByteArray JpegDecoder::IccProfile() {
    JOCTET* data = nullptr;
    unsigned length = 0;
    Check(ReadIccProfile(session_, data, length));
    QByteArray profile;
    if (data != nullptr) {
        profile = QByteArray(reinterpret_cast<const char*>(data), qsizetype(length));
        std::free(data);
    }
    return profile;
}

QSize JpegDecoder::ImageSize() const {
    return QSize(int(session_.d.image_width), int(session_.d.image_height));
}

bool JpegDecoder::CmykFile() const {
    return Cmyk();
}

bool JpegDecoder::GrayFile() const {
    return session_.d.jpeg_color_space == JCS_GRAYSCALE;
}

bool JpegDecoder::MultiScan() {
    bool multiple = false;
    Check(HasMultipleScans(session_, multiple));
    return multiple;
}

QSize JpegDecoder::OutputSize() {
    Check(CalcOutputDimensions(session_));
    return QSize(int(session_.d.output_width), int(session_.d.output_height));
}

bool JpegDecoder::EightBitOutput() const {
    return session_.d.quantize_colors != FALSE;
}

bool JpegDecoder::SetPaletteFromColormap(TBitmap& bitmap) {
    const jpeg_decompress_struct& d = session_.d;
    if (d.colormap == nullptr) return false;
    bitmap.setPalette(
        PaletteFromColormap(d.colormap, d.actual_number_of_colors, d.out_color_components));
    return true;
}

void JpegDecoder::ReadImage(TBitmap& bitmap) {
    jpeg_decompress_struct& d = session_.d;
    const JDIMENSION perCall =
        std::clamp<JDIMENSION>(JDIMENSION(d.rec_outbuf_height), 1, kMaxRowsPerCall);
    const bool cmyk = Cmyk();
    std::vector<JSAMPLE> cmykRows(cmyk ? std::size_t(perCall) * d.output_width * 4 : 0);
    JSAMPROW rows[kMaxRowsPerCall];
    while (d.output_scanline < d.output_height) {
        const JDIMENSION first = d.output_scanline;
        const JDIMENSION count = std::min(perCall, d.output_height - first);
        for (JDIMENSION i = 0; i < count; ++i) {
            rows[i] = cmyk ? &cmykRows[std::size_t(i) * d.output_width * 4]
                           : bitmap.scanLine(int(first + i));
        }
        JDIMENSION read = 0;
        Check(ReadRows(session_, rows, count, read));
        // Rows the library wrote in place need no second look unless converted.
        const bool convert = srgb_ && (cmyk || !EightBitOutput());
        for (JDIMENSION i = 0; (convert || cmyk) && i < read; ++i) {
            uchar* out = bitmap.scanLine(int(first + i));
            if (convert) {
                srgb_->convertRow(rows[i], out, int(d.output_width));
            } else {
                CmykRowToBgr(rows[i], out, int(d.output_width), d.saw_Adobe_marker != FALSE,
                             grayOutput_);
            }
        }
        if (read == 0) break;
    }
}

bool JpegDecoder::Decode(TBitmap& bitmap, const std::optional<QList<QRgb>>& palette) {
    jpeg_decompress_struct& d = session_.d;
    bitmap.setPixelFormat(EightBitOutput() ? TBitmap::PixelFormat::Bits8
                                           : TBitmap::PixelFormat::Bits24);
    // A supplied palette serves only colour output: gray output is always
    // quantised to the library's own gray ramp.
    QList<QRgb> supplied;
    if (palette && EightBitOutput() && d.out_color_space != JCS_GRAYSCALE) {
        supplied = palette->first(std::min<qsizetype>(palette->size(), 256));
        Check(SetColormap(session_, supplied.constData(), int(supplied.size())));
    }
    // Made here, not in Prepare: size queries need no transform.
    if (srgbWanted_) PrepareSrgb();
    ReserveBitmap();
    Check(StartDecompress(session_));
    bitmap.setSize(int(d.output_width), int(d.output_height));
    const bool paletteNeeded = supplied.isEmpty();
    if (!paletteNeeded) bitmap.setPalette(supplied);

    bool paletteMade = false;
    if (!d.buffered_image) {
        if (paletteNeeded) paletteMade = SetPaletteFromColormap(bitmap);
        ReadImage(bitmap);
    } else {
        // One output pass per scan as it completes, then the final pass with
        // the settings the caller asked for. The colour map may change between
        // passes, so the palette follows every pass.
        auto outputPass = [&] {
            Check(StartOutput(session_, d.input_scan_number));
            if (paletteNeeded) paletteMade = SetPaletteFromColormap(bitmap) || paletteMade;
            ReadImage(bitmap);
            Check(FinishOutput(session_));
        };
        bool complete = false;
        for (Check(InputComplete(session_, complete)); !complete;
             Check(InputComplete(session_, complete))) {
            outputPass();
        }
        d.dct_method = session_.finalDctMethod;
        d.dither_mode = session_.finalDitherMode;
        if (d.quantize_colors && paletteNeeded &&
            d.two_pass_quantize != session_.finalTwoPassQuantize) {
            d.two_pass_quantize = session_.finalTwoPassQuantize;
            d.colormap = nullptr;  // the library's sign to build a new colour map
        }
        outputPass();
    }
    Check(FinishDecompress(session_));
    // Quantised output: its palette holds the colours.
    if (srgb_ && !Cmyk() && EightBitOutput())
        bitmap.setPalette(srgb_->convertPalette(bitmap.palette()));
    if (Cmyk() && (depth8_ || grayOutput_)) bitmap.setPixelFormat(TBitmap::PixelFormat::Bits8);
    return paletteMade;
}
