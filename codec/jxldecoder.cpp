#include "codec/jxldecoder.h"

#include <jxl/decode.h>
#include <jxl/decode_cxx.h>

#include <algorithm>
#include <new>
#include <utility>

#include "codec/decodebudget.h"
#include "codec/picturefinish.h"
#include "image/bitmap.h"

namespace {

// Bytes per pixel one decode holds at its peak: libjxl's own planes and the
// bitmap it renders into. libjxl 0.7 holds 32-bit samples of every channel at
// worst, but a lossy picture with alpha ten bytes a sample (37 to 41 bytes a
// pixel measured for 4000 x 3000 and 2000 x 1500 RGBA files, against 5 for
// lossy RGB and 1 for lossless RGBA).
int BytesPerPixel(const JxlBasicInfo& info) {
    const uint32_t extra = std::min<uint32_t>(info.num_extra_channels, 1024);
    const int perSample = !info.uses_original_profile && extra > 0 ? 11 : 4;
    return perSample * int(std::min<uint32_t>(info.num_color_channels, 3) + extra) + 4;
}

bool Refuse(std::string& reason, const char* why) {
    reason = std::string("JPEG XL: ") + why;
    return false;
}

QByteArray PixelProfile(const JxlDecoder* decoder) {
    size_t size = 0;
    if (JxlDecoderGetICCProfileSize(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA, &size) !=
        JXL_DEC_SUCCESS)
        return {};
    QByteArray profile(qsizetype(size), '\0');
    if (JxlDecoderGetColorAsICCProfile(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA,
                                       reinterpret_cast<uint8_t*>(profile.data()),
                                       size) != JXL_DEC_SUCCESS)
        return {};
    return profile;
}

// A lossy (XYB) picture tagged with an ICC profile would come out in linear
// sRGB, which 8 bits band in the shadows; libjxl renders it to sRGB instead.
void PreferSrgbOverLinear(JxlDecoder* decoder, const JxlBasicInfo& info) {
    JxlColorEncoding original;
    if (info.uses_original_profile ||
        JxlDecoderGetColorAsEncodedProfile(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_ORIGINAL,
                                           &original) == JXL_DEC_SUCCESS)
        return;
    JxlColorEncoding srgb{};
    srgb.color_space = info.num_color_channels == 1 ? JXL_COLOR_SPACE_GRAY : JXL_COLOR_SPACE_RGB;
    srgb.white_point = JXL_WHITE_POINT_D65;
    srgb.primaries = JXL_PRIMARIES_SRGB;
    srgb.transfer_function = JXL_TRANSFER_FUNCTION_SRGB;
    srgb.rendering_intent = JXL_RENDERING_INTENT_PERCEPTUAL;
    JxlDecoderSetPreferredColorProfile(decoder, &srgb);
}

}  // namespace

bool IsJxlStart(std::string_view head) {
    const JxlSignature signature =
        JxlSignatureCheck(reinterpret_cast<const uint8_t*>(head.data()), head.size());
    return signature == JXL_SIG_CODESTREAM || signature == JXL_SIG_CONTAINER;
}

bool DecodeJxl(const QByteArray& bytes, const DecodeOptions& options, TBitmap& bitmap,
               std::string& reason) {
    // No parallel runner: one thread a file, the batch runs files side by side.
    const JxlDecoderPtr decoder = JxlDecoderMake(nullptr);
    if (!decoder) throw std::bad_alloc();
    JxlDecoder* d = decoder.get();
    if (JxlDecoderSubscribeEvents(d, JXL_DEC_BASIC_INFO | JXL_DEC_COLOR_ENCODING |
                                         JXL_DEC_FULL_IMAGE) != JXL_DEC_SUCCESS ||
        JxlDecoderSetInput(d, reinterpret_cast<const uint8_t*>(bytes.constData()),
                           size_t(bytes.size())) != JXL_DEC_SUCCESS)
        throw std::bad_alloc();
    JxlDecoderCloseInput(d);

    JxlBasicInfo info{};
    TBitmap result;
    for (;;) {
        switch (JxlDecoderProcessInput(d)) {
            case JXL_DEC_BASIC_INFO: {
                if (JxlDecoderGetBasicInfo(d, &info) != JXL_DEC_SUCCESS)
                    return Refuse(reason, "damaged header");
                if (!FitsDecodeBudget(info.xsize, info.ysize, BytesPerPixel(info), reason))
                    return false;
                // Stored premultiplied, given straight as every decoder gives it.
                if (info.alpha_premultiplied) JxlDecoderSetUnpremultiplyAlpha(d, JXL_TRUE);
                break;
            }
            case JXL_DEC_COLOR_ENCODING:
                PreferSrgbOverLinear(d, info);
                break;
            case JXL_DEC_NEED_IMAGE_OUT_BUFFER: {
                const bool alpha = info.alpha_bits > 0;
                result =
                    TBitmap(int(info.xsize), int(info.ysize),
                            alpha ? TBitmap::PixelFormat::Bits32 : TBitmap::PixelFormat::Bits24);
                if (result.isEmpty()) throw std::bad_alloc();
                // Gray is asked for as RGB; wider samples are rounded to 8 bits.
                // Straight into the bitmap's rows (libjxl's row callback renders
                // through a second whole picture: twice the time), rows aligned
                // to the bitmap's stride.
                const JxlPixelFormat format{alpha ? 4u : 3u, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN,
                                            size_t(result.bytesPerLine())};
                if (JxlDecoderSetImageOutBuffer(
                        d, &format, result.scanLine(0),
                        size_t(result.bytesPerLine()) * size_t(result.height())) != JXL_DEC_SUCCESS)
                    return Refuse(reason, "no 8-bit output for this picture");
                break;
            }
            case JXL_DEC_FULL_IMAGE: {
                // The first frame as it shows; libjxl has turned it upright.
                SwapRedAndBlue(result);
                FinishPicture(result, PixelProfile(d), 1, options);
                bitmap = std::move(result);
                return true;
            }
            case JXL_DEC_SUCCESS:
                return Refuse(reason, "the file holds no picture");
            case JXL_DEC_NEED_MORE_INPUT:  // libjxl says error for it once the input is closed
            case JXL_DEC_ERROR:
                return Refuse(reason, "damaged, cut short or unsupported picture data");
            default:
                break;
        }
    }
}
