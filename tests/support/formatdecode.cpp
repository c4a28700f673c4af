#include "tests/support/formatdecode.h"

#include <libheif/heif.h>
#include <spng.h>
#include <webp/decode.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Rows of red, green, blue, alpha into a 32-bit bitmap.
TBitmap FromRgba(const uint8_t* rgba, int width, int height, size_t stride) {
    TBitmap bitmap(width, height, TBitmap::PixelFormat::Bits32);
    for (int y = 0; y < height; ++y) {
        const uint8_t* in = rgba + size_t(y) * stride;
        uchar* out = bitmap.scanLine(y);
        for (int x = 0; x < width; ++x, in += 4, out += 4) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
            out[3] = in[3];
        }
    }
    return bitmap;
}

TBitmap DecodePng(const QByteArray& bytes) {
    spng_ctx* png = spng_ctx_new(0);
    spng_set_png_buffer(png, bytes.constData(), size_t(bytes.size()));
    spng_ihdr header{};
    size_t size = 0;
    TBitmap bitmap;
    if (spng_get_ihdr(png, &header) == 0 &&
        spng_decoded_image_size(png, SPNG_FMT_RGBA8, &size) == 0) {
        std::vector<uint8_t> rgba(size);
        if (spng_decode_image(png, rgba.data(), size, SPNG_FMT_RGBA8, 0) == 0)
            bitmap = FromRgba(rgba.data(), int(header.width), int(header.height),
                              size_t(header.width) * 4);
    }
    spng_ctx_free(png);
    return bitmap;
}

TBitmap DecodeWebp(const QByteArray& bytes) {
    int width = 0, height = 0;
    uint8_t* rgba = WebPDecodeRGBA(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                   size_t(bytes.size()), &width, &height);
    if (rgba == nullptr) return {};
    TBitmap bitmap = FromRgba(rgba, width, height, size_t(width) * 4);
    WebPFree(rgba);
    return bitmap;
}

TBitmap DecodeAvif(const QByteArray& bytes) {
    heif_context* context = heif_context_alloc();
    heif_image_handle* handle = nullptr;
    heif_image* image = nullptr;
    TBitmap bitmap;
    if (heif_context_read_from_memory_without_copy(context, bytes.constData(), size_t(bytes.size()),
                                                   nullptr)
                .code == heif_error_Ok &&
        heif_context_get_primary_image_handle(context, &handle).code == heif_error_Ok &&
        heif_decode_image(handle, &image, heif_colorspace_RGB, heif_chroma_interleaved_RGBA,
                          nullptr)
                .code == heif_error_Ok) {
        int stride = 0;
        const uint8_t* plane =
            heif_image_get_plane_readonly(image, heif_channel_interleaved, &stride);
        bitmap = FromRgba(plane, heif_image_get_width(image, heif_channel_interleaved),
                          heif_image_get_height(image, heif_channel_interleaved), size_t(stride));
    }
    if (image != nullptr) heif_image_release(image);
    if (handle != nullptr) heif_image_handle_release(handle);
    heif_context_free(context);
    return bitmap;
}

}  // namespace

TBitmap DecodeWithFormatLibrary(const std::string& format, const QByteArray& bytes) {
    if (format == "PNG") return DecodePng(bytes);
    if (format == "WebP") return DecodeWebp(bytes);
    if (format == "AVIF") return DecodeAvif(bytes);
    return {};
}

int LargestChannelDifference(const TBitmap& a, const TBitmap& b) {
    if (a.width() != b.width() || a.height() != b.height()) return -1;
    int largest = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int i = 0; i < a.width() * 4; ++i)
            largest = std::max(largest, std::abs(int(a.scanLine(y)[i]) - int(b.scanLine(y)[i])));
    return largest;
}
