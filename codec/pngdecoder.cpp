#include "codec/pngdecoder.h"

#include <spng.h>

#include <memory>
#include <utility>
#include <vector>

#include "codec/decodebudget.h"
#include "codec/exiforientation.h"
#include "codec/picturefinish.h"
#include "image/bitmap.h"

namespace {

constexpr std::string_view kSignature("\x89PNG\r\n\x1a\n", 8);

// Far above any real chunk (a large profile is a few MiB), so that a small
// file cannot inflate into unbounded ancillary data.
constexpr size_t kMaxChunkBytes = size_t{64} << 20;

struct ContextFree {
    void operator()(spng_ctx* context) const { spng_ctx_free(context); }
};
using Context = std::unique_ptr<spng_ctx, ContextFree>;

bool Refuse(std::string& reason, int error) {
    reason = std::string("PNG: ") + spng_strerror(error);
    return false;
}

// 8-bit samples straight into the bitmap's rows; interlaced rows are written
// pass by pass into their places.
int DecodeRows(spng_ctx* context, TBitmap& bitmap, int format, int flags, int bytes) {
    int error = spng_decode_image(context, nullptr, 0, format, flags | SPNG_DECODE_PROGRESSIVE);
    if (error != 0) return error;
    const size_t rowBytes = size_t(bitmap.width()) * size_t(bytes);
    spng_row_info row{};
    while ((error = spng_get_row_info(context, &row)) == 0) {
        error = spng_decode_row(context, bitmap.scanLine(int(row.row_num)), rowBytes);
        if (error != 0) break;
    }
    return error == SPNG_EOI ? 0 : error;
}

// 16-bit samples through a buffer of the whole picture at 16 bits (red,
// green, blue, alpha), rounded to 8 bits; bytes 3 drops the alpha.
int DecodeWide(spng_ctx* context, TBitmap& bitmap, int flags, int bytes) {
    size_t size = 0;
    int error = spng_decoded_image_size(context, SPNG_FMT_RGBA16, &size);
    if (error != 0) return error;
    std::vector<uint16_t> wide(size / 2);
    error = spng_decode_image(context, wide.data(), size, SPNG_FMT_RGBA16, flags);
    if (error != 0) return error;
    const uint16_t* in = wide.data();
    for (int y = 0; y < bitmap.height(); ++y) {
        uchar* out = bitmap.scanLine(y);
        for (int x = 0; x < bitmap.width(); ++x, in += 4, out += bytes)
            for (int c = 0; c < bytes; ++c) out[c] = uchar((uint32_t(in[c]) * 255 + 32767) / 65535);
    }
    return 0;
}

QByteArray Profile(spng_ctx* context) {
    spng_iccp iccp{};
    if (spng_get_iccp(context, &iccp) != 0) return {};
    return QByteArray(iccp.profile, qsizetype(iccp.profile_len));
}

int Orientation(spng_ctx* context) {
    spng_exif exif{};
    if (spng_get_exif(context, &exif) != 0) return 1;
    return BareExifOrientation(reinterpret_cast<const unsigned char*>(exif.data), exif.length);
}

}  // namespace

bool IsPngStart(std::string_view head) {
    return head.substr(0, kSignature.size()) == kSignature;
}

bool DecodePng(const QByteArray& bytes, const DecodeOptions& options, TBitmap& bitmap,
               std::string& reason) {
    const Context context(spng_ctx_new(0));
    if (!context) throw std::bad_alloc();
    spng_ctx* c = context.get();
    spng_set_chunk_limits(c, kMaxChunkBytes, kMaxChunkBytes);
    int error = spng_set_png_buffer(c, bytes.constData(), size_t(bytes.size()));
    spng_ihdr header{};
    if (error == 0) error = spng_get_ihdr(c, &header);
    if (error != 0) return Refuse(reason, error);

    const bool wide = header.bit_depth == 16;
    spng_trns transparent{};
    const bool alpha = header.color_type == SPNG_COLOR_TYPE_GRAYSCALE_ALPHA ||
                       header.color_type == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA ||
                       spng_get_trns(c, &transparent) == 0;
    const int bytesPerPixel = alpha ? 4 : 3;
    // The bitmap, a turned copy, and for 16 bits the whole picture at 16 bits.
    const int held = 2 * bytesPerPixel + (wide ? 8 : 0);
    if (!FitsDecodeBudget(header.width, header.height, held, reason)) return false;

    bitmap = TBitmap(int(header.width), int(header.height),
                     alpha ? TBitmap::PixelFormat::Bits32 : TBitmap::PixelFormat::Bits24);
    if (bitmap.isEmpty()) throw std::bad_alloc();
    const int flags = alpha ? SPNG_DECODE_TRNS : 0;
    error =
        wide ? DecodeWide(c, bitmap, flags, bytesPerPixel)
             : DecodeRows(c, bitmap, alpha ? SPNG_FMT_RGBA8 : SPNG_FMT_RGB8, flags, bytesPerPixel);
    if (error != 0) {
        bitmap = TBitmap();
        return Refuse(reason, error);
    }
    SwapRedAndBlue(bitmap);
    FinishPicture(bitmap, Profile(c), Orientation(c), options);
    return true;
}
