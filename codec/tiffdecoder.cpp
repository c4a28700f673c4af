#include "codec/tiffdecoder.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>

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
// B, G, R, A with straight alpha.
void ToStraightBgra(TBitmap& bitmap) {
    for (int y = 0; y < bitmap.height(); ++y) {
        uchar* p = bitmap.scanLine(y);
        for (int x = 0; x < bitmap.width(); ++x, p += 4) {
            std::swap(p[0], p[2]);
            const int alpha = p[3];
            if (alpha == 255) continue;
            for (int c = 0; c < 3; ++c)
                p[c] = alpha == 0 ? 0 : uchar(std::min(255, (p[c] * 255 + alpha / 2) / alpha));
        }
    }
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

bool CheckTiffStart(const QByteArray& head, int64_t, std::string& reason) {
    if (IsTiffStart(std::string_view(head.constData(), size_t(head.size())))) return true;
    reason = "not a TIFF file";
    return false;
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

    char message[1024] = "";
    if (!TIFFRGBAImageOK(tiff.get(), message)) {
        reason = std::string("TIFF: ") + message;
        return false;
    }
    TIFFRGBAImage image{};
    if (!TIFFRGBAImageBegin(&image, tiff.get(), 0, message)) {
        reason = std::string("TIFF: ") + message;
        return false;
    }
    const std::unique_ptr<TIFFRGBAImage, RgbaEnd> end(&image);
    // The bitmap, which libtiff fills, and its 24-bit or turned copy.
    if (!FitsDecodeBudget(image.width, image.height, 8, reason)) return false;
    const int orientation = image.orientation;
    // Rows as stored, top row first: turning upright is the caller's choice.
    image.orientation = ORIENTATION_TOPLEFT;
    image.req_orientation = ORIENTATION_TOPLEFT;
    bitmap = TBitmap(int(image.width), int(image.height), TBitmap::PixelFormat::Bits32);
    if (bitmap.isEmpty()) throw std::bad_alloc();
    // 4 bytes a pixel fill each row exactly: the rows are one raster.
    auto* raster = reinterpret_cast<uint32_t*>(bitmap.scanLine(0));
    if (!TIFFRGBAImageGet(&image, raster, image.width, image.height)) {
        bitmap = TBitmap();
        return Refuse(reason, source, "damaged picture data");
    }
    const bool alpha = image.alpha != 0;
    ToStraightBgra(bitmap);
    if (!alpha) bitmap.setPixelFormat(TBitmap::PixelFormat::Bits24);
    FinishPicture(bitmap, Profile(tiff.get()), orientation, options);
    return true;
}
