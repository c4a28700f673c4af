#include "codec/tiffdecoder.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "codec/decodebudget.h"
#include "codec/picturefinish.h"
#include "image/bitmap.h"

namespace {

// The file's bytes as libtiff reads them: from memory, never written.
struct Source {
    const QByteArray* bytes;
    toff_t at = 0;
    std::string error;  // the library's first error, as the refusal's reason
};

tmsize_t Read(thandle_t handle, void* to, tmsize_t size) {
    auto* source = static_cast<Source*>(handle);
    const toff_t total = toff_t(source->bytes->size());
    if (source->at >= total || size <= 0) return 0;
    const tmsize_t count = tmsize_t(std::min<toff_t>(toff_t(size), total - source->at));
    std::memcpy(to, source->bytes->constData() + source->at, size_t(count));
    source->at += toff_t(count);
    return count;
}

tmsize_t Write(thandle_t, void*, tmsize_t) {
    return 0;
}

toff_t Seek(thandle_t handle, toff_t offset, int whence) {
    auto* source = static_cast<Source*>(handle);
    const toff_t base = whence == SEEK_CUR   ? source->at
                        : whence == SEEK_END ? toff_t(source->bytes->size())
                                             : 0;
    source->at = base + offset;
    return source->at;
}

int Close(thandle_t) {
    return 0;
}

toff_t Size(thandle_t handle) {
    return toff_t(static_cast<Source*>(handle)->bytes->size());
}

// The bytes as a mapped file, so that strips are read in place.
int Map(thandle_t handle, void** base, toff_t* size) {
    const QByteArray* bytes = static_cast<Source*>(handle)->bytes;
    *base = const_cast<char*>(bytes->constData());
    *size = toff_t(bytes->size());
    return 1;
}

void Unmap(thandle_t, void*, toff_t) {}

int KeepError(TIFF*, void* user, const char*, const char* format, va_list args) {
    auto* source = static_cast<Source*>(user);
    if (source->error.empty()) {
        char text[256];
        std::vsnprintf(text, sizeof text, format, args);
        source->error = text;
    }
    return 1;
}

int DropWarning(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

struct TiffClose {
    void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};
struct OptionsFree {
    void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};
struct RgbaEnd {
    void operator()(TIFFRGBAImage* image) const { TIFFRGBAImageEnd(image); }
};

bool Refuse(std::string& reason, const Source& source, const char* what) {
    reason = "TIFF: " + (source.error.empty() ? std::string(what) : source.error);
    return false;
}

// libtiff's R, G, B, A bytes, colours multiplied by alpha, into the bitmap's
// B, G, R, A with straight alpha, or B, G, R when the picture is opaque.
TBitmap FromRaster(const TBitmap& raster, bool alpha) {
    const int width = raster.width();
    TBitmap bitmap(width, raster.height(),
                   alpha ? TBitmap::PixelFormat::Bits32 : TBitmap::PixelFormat::Bits24);
    if (bitmap.isEmpty()) throw std::bad_alloc();
    const int bytes = alpha ? 4 : 3;
    for (int y = 0; y < raster.height(); ++y) {
        const uchar* in = raster.scanLine(y);
        uchar* out = bitmap.scanLine(y);
        for (int x = 0; x < width; ++x, in += 4, out += bytes) {
            const int a = alpha ? in[3] : 255;
            for (int c = 0; c < 3; ++c) {
                const int v = in[2 - c];
                out[c] = a == 255 ? uchar(v)
                         : a == 0 ? 0
                                  : uchar(std::min(255, (v * 255 + a / 2) / a));
            }
            if (alpha) out[3] = uchar(a);
        }
    }
    return bitmap;
}

// Any layout libtiff turns into RGBA: palettes, YCbCr, CMYK, 16 bits, tiles.
bool ReadThroughRgba(TIFF* tiff, const Source& source, TBitmap& bitmap, int& orientation,
                     std::string& reason) {
    char message[1024] = "";
    TIFFRGBAImage image{};
    if (!TIFFRGBAImageOK(tiff, message) || !TIFFRGBAImageBegin(&image, tiff, 0, message)) {
        reason = std::string("TIFF: ") + message;
        return false;
    }
    const std::unique_ptr<TIFFRGBAImage, RgbaEnd> end(&image);
    // libtiff's raster and the bitmap made of it, or the bitmap and its turned copy.
    if (!FitsDecodeBudget(image.width, image.height, 8, reason)) return false;
    orientation = image.orientation;
    // Rows as stored, top row first: turning upright is the caller's choice.
    image.orientation = ORIENTATION_TOPLEFT;
    image.req_orientation = ORIENTATION_TOPLEFT;
    TBitmap raster(int(image.width), int(image.height), TBitmap::PixelFormat::Bits32);
    if (raster.isEmpty()) throw std::bad_alloc();
    // 4 bytes a pixel fill each row exactly: the rows are one raster.
    if (!TIFFRGBAImageGet(&image, reinterpret_cast<uint32_t*>(raster.scanLine(0)), image.width,
                          image.height))
        return Refuse(reason, source, "damaged picture data");
    bitmap = FromRaster(raster, image.alpha != 0);
    return true;
}

// The usual layouts of photographs and scans, 8-bit RGB, RGB with straight
// alpha or gray in strips, read row by row straight into the bitmap; false
// with reason empty for any other layout.
bool ReadRows(TIFF* tiff, const Source& source, TBitmap& bitmap, int& orientation,
              std::string& reason) {
    uint32_t width = 0, height = 0;
    uint16_t bits = 0, samples = 0, photometric = 0, planar = 0, extraCount = 0;
    uint16_t* extra = nullptr;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_EXTRASAMPLES, &extraCount, &extra);
    const bool alpha = samples == 4 && extraCount == 1 && extra[0] == EXTRASAMPLE_UNASSALPHA;
    const bool known = TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric) &&
                       ((photometric == PHOTOMETRIC_RGB && (samples == 3 || alpha)) ||
                        (photometric == PHOTOMETRIC_MINISBLACK && samples == 1));
    if (!known || bits != 8 || (samples > 1 && planar != PLANARCONFIG_CONTIG) ||
        TIFFIsTiled(tiff) || width == 0 || height == 0)
        return false;
    // The bitmap and its turned copy.
    if (!FitsDecodeBudget(width, height, alpha ? 8 : 6, reason)) return false;
    uint16_t stored = ORIENTATION_TOPLEFT;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_ORIENTATION, &stored);
    orientation = stored;
    bitmap = TBitmap(int(width), int(height),
                     alpha ? TBitmap::PixelFormat::Bits32 : TBitmap::PixelFormat::Bits24);
    if (bitmap.isEmpty()) throw std::bad_alloc();
    std::vector<uchar> gray(samples == 1 ? width : 0);
    for (uint32_t y = 0; y < height; ++y) {
        uchar* row = bitmap.scanLine(int(y));
        if (TIFFReadScanline(tiff, samples == 1 ? gray.data() : row, y, 0) < 0) {
            bitmap = TBitmap();
            return Refuse(reason, source, "damaged picture data");
        }
        if (samples == 1) {
            for (uint32_t x = 0; x < width; ++x)
                row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = gray[x];
        } else {
            for (uint32_t x = 0; x < width; ++x, row += samples) std::swap(row[0], row[2]);
        }
    }
    return true;
}

QByteArray Profile(TIFF* tiff) {
    uint32_t size = 0;
    void* data = nullptr;
    if (!TIFFGetField(tiff, TIFFTAG_ICCPROFILE, &size, &data) || data == nullptr) return {};
    return QByteArray(static_cast<const char*>(data), qsizetype(size));
}

}  // namespace

bool IsTiffStart(std::string_view head) {
    const std::string_view start = head.substr(0, 4);
    return start == std::string_view("II*\0", 4) || start == std::string_view("MM\0*", 4) ||
           start == std::string_view("II+\0", 4) || start == std::string_view("MM\0+", 4);
}

bool DecodeTiff(const QByteArray& bytes, const DecodeOptions& options, TBitmap& bitmap,
                std::string& reason) {
    Source source{&bytes, 0, {}};
    const std::unique_ptr<TIFFOpenOptions, OptionsFree> open(TIFFOpenOptionsAlloc());
    if (!open) throw std::bad_alloc();
    TIFFOpenOptionsSetMaxSingleMemAlloc(open.get(), DecodeBudgetBytes());
    TIFFOpenOptionsSetErrorHandlerExtR(open.get(), KeepError, &source);
    TIFFOpenOptionsSetWarningHandlerExtR(open.get(), DropWarning, &source);
    const std::unique_ptr<TIFF, TiffClose> tiff(TIFFClientOpenExt(
        "picture", "r", &source, Read, Write, Seek, Close, Size, Map, Unmap, open.get()));
    if (!tiff) return Refuse(reason, source, "not a TIFF file libtiff can read");

    int orientation = ORIENTATION_TOPLEFT;
    if (!ReadRows(tiff.get(), source, bitmap, orientation, reason)) {
        if (!reason.empty() || !ReadThroughRgba(tiff.get(), source, bitmap, orientation, reason))
            return false;
    }
    FinishPicture(bitmap, Profile(tiff.get()), orientation, options);
    return true;
}
