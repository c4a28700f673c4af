#include "tests/support/jxlpictures.h"

#include <gtest/gtest.h>
#include <jxl/encode.h>
#include <jxl/encode_cxx.h>

#include <vector>

#include "image/bitmap.h"
#include "tests/support/phototags.h"

QByteArray EncodeJxl(const TBitmap& picture, const JxlRecipe& recipe) {
    const JxlEncoderPtr encoder = JxlEncoderMake(nullptr);
    JxlEncoder* e = encoder.get();
    const bool alpha = picture.pixelFormat() == TBitmap::PixelFormat::Bits32;
    JxlBasicInfo info;
    JxlEncoderInitBasicInfo(&info);
    info.xsize = uint32_t(picture.width());
    info.ysize = uint32_t(picture.height());
    info.bits_per_sample = recipe.wide ? 16 : 8;
    info.num_extra_channels = alpha ? 1 : 0;
    info.alpha_bits = alpha ? info.bits_per_sample : 0;
    info.uses_original_profile = recipe.lossless;
    info.orientation = JxlOrientation(recipe.orientation);
    JxlEncoderSetBasicInfo(e, &info);
    JxlColorEncoding srgb;
    JxlColorEncodingSetToSRGB(&srgb, false);
    if (recipe.profile.isEmpty())
        JxlEncoderSetColorEncoding(e, &srgb);
    else
        JxlEncoderSetICCProfile(e, reinterpret_cast<const uint8_t*>(recipe.profile.constData()),
                                size_t(recipe.profile.size()));
    if (recipe.exifOrientation != 0) {
        // The box: the offset of the TIFF header (0), then the EXIF data.
        const QByteArray exif = QByteArray(4, '\0') + ExifBody(recipe.exifOrientation).mid(6);
        JxlEncoderUseBoxes(e);
        JxlEncoderAddBox(e, "Exif", reinterpret_cast<const uint8_t*>(exif.constData()),
                         size_t(exif.size()), JXL_FALSE);
        JxlEncoderCloseBoxes(e);
    }
    JxlEncoderFrameSettings* settings = JxlEncoderFrameSettingsCreate(e, nullptr);
    if (recipe.lossless)
        JxlEncoderSetFrameLossless(settings, JXL_TRUE);
    else
        JxlEncoderSetFrameDistance(settings, recipe.distance);
    // R, G, B(, A) as 16 bits, which libjxl takes down to 8 for an 8-bit picture.
    std::vector<uint16_t> samples;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            for (const int c : {2, 1, 0, 3}) {
                const int v = c < 3 || alpha ? picture.scanLine(y)[x * (alpha ? 4 : 3) + c] : -1;
                if (v >= 0)
                    samples.push_back(uint16_t(recipe.wide && v > 0 ? v * 257 - 100 : v * 257));
            }
    const JxlPixelFormat format{alpha ? 4u : 3u, JXL_TYPE_UINT16, JXL_NATIVE_ENDIAN, 0};
    JxlEncoderStatus status =
        JxlEncoderAddImageFrame(settings, &format, samples.data(), samples.size() * 2);
    JxlEncoderCloseInput(e);
    QByteArray bytes;
    while (status == JXL_ENC_SUCCESS || status == JXL_ENC_NEED_MORE_OUTPUT) {
        const qsizetype used = bytes.size();
        bytes.resize(used + 65536);
        auto* next = reinterpret_cast<uint8_t*>(bytes.data() + used);
        size_t left = 65536;
        status = JxlEncoderProcessOutput(e, &next, &left);
        bytes.resize(bytes.size() - qsizetype(left));
        if (status == JXL_ENC_SUCCESS) return bytes;
    }
    ADD_FAILURE() << "libjxl refused the picture";
    return {};
}
