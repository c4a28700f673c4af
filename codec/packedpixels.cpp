#include "codec/packedpixels.h"

#include <optional>

#include "image/bitmap.h"

PackedPixels PackPixels(const TBitmap& bitmap) {
    std::optional<TBitmap> converted;
    if (bitmap.pixelFormat() == TBitmap::PixelFormat::Bits8) {
        converted = bitmap;
        converted->setPixelFormat(TBitmap::PixelFormat::Bits24);
    }
    const TBitmap& source = converted ? *converted : bitmap;
    PackedPixels packed;
    packed.width = source.width();
    packed.height = source.height();
    packed.alpha = source.pixelFormat() == TBitmap::PixelFormat::Bits32;
    const int channels = packed.channels();
    packed.bytes.resize(size_t(packed.stride()) * size_t(packed.height));
    uint8_t* out = packed.bytes.data();
    for (int y = 0; y < packed.height; ++y) {
        const uchar* in = source.scanLine(y);
        for (int x = 0; x < packed.width; ++x, in += channels, out += channels) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
            if (channels == 4) out[3] = in[3];
        }
    }
    return packed;
}
