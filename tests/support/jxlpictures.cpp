#include "tests/support/jxlpictures.h"

#include <gtest/gtest.h>
#include <jxl/encode.h>
#include <jxl/encode_cxx.h>

#include <vector>

#include "image/bitmap.h"
#include "tests/support/phototags.h"

namespace {

// The samples libjxl is given: R, G, B (or the green alone), then A, as 8 or
// 16 bits (native order).
std::vector<uint16_t> Samples(const TBitmap& picture, const JxlRecipe& recipe, bool alpha) {
    const int bytes = alpha ? 4 : 3;
    std::vector<uint16_t> samples;
    for (int y = 0; y < picture.height(); ++y) {
        const uchar* p = picture.scanLine(y);
        for (int x = 0; x < picture.width(); ++x, p += bytes) {
            if (recipe.gray)
                samples.push_back(p[1]);
            else
                samples.insert(samples.end(), {p[2], p[1], p[0]});
            if (alpha) samples.push_back(p[3]);
        }
    }
    if (recipe.wide)
        for (uint16_t& v : samples) v = uint16_t(v == 0 ? 0 : v * 257 - 100);
    return samples;
}

}  // namespace

QByteArray EncodeJxl(const TBitmap& picture, const JxlRecipe& recipe) {
    const JxlEncoderPtr encoder = JxlEncoderMake(nullptr);
    JxlEncoder* e = encoder.get();
    const bool alpha = picture.pixelFormat() == TBitmap::PixelFormat::Bits32;
    JxlBasicInfo info;
    JxlEncoderInitBasicInfo(&info);
    info.xsize = uint32_t(picture.width());
    info.ysize = uint32_t(picture.height());
    info.bits_per_sample = recipe.wide ? 16 : 8;
    info.num_color_channels = recipe.gray ? 1 : 3;
    info.num_extra_channels = alpha ? 1 : 0;
    info.alpha_bits = alpha ? info.bits_per_sample : 0;
    info.uses_original_profile = recipe.lossless;
    info.orientation = JxlOrientation(recipe.orientation);
    bool ok = JxlEncoderSetBasicInfo(e, &info) == JXL_ENC_SUCCESS;
    JxlColorEncoding srgb;
    JxlColorEncodingSetToSRGB(&srgb, recipe.gray);
    ok = ok && (recipe.profile.isEmpty()
                    ? JxlEncoderSetColorEncoding(e, &srgb)
                    : JxlEncoderSetICCProfile(
                          e, reinterpret_cast<const uint8_t*>(recipe.profile.constData()),
                          size_t(recipe.profile.size()))) == JXL_ENC_SUCCESS;
    if (recipe.exifOrientation != 0) {
        // The box: the offset of the TIFF header (0), then the EXIF data.
        const QByteArray exif = QByteArray(4, '\0') + ExifBody(recipe.exifOrientation).mid(6);
        ok = ok && JxlEncoderUseBoxes(e) == JXL_ENC_SUCCESS &&
             JxlEncoderAddBox(e, "Exif", reinterpret_cast<const uint8_t*>(exif.constData()),
                              size_t(exif.size()), JXL_FALSE) == JXL_ENC_SUCCESS;
        JxlEncoderCloseBoxes(e);
    }
    JxlEncoderFrameSettings* settings = JxlEncoderFrameSettingsCreate(e, nullptr);
    ok = ok && (recipe.lossless
                    ? JxlEncoderSetFrameLossless(settings, JXL_TRUE)
                    : JxlEncoderSetFrameDistance(settings, recipe.distance)) == JXL_ENC_SUCCESS;
    const std::vector<uint16_t> wide = Samples(picture, recipe, alpha);
    const std::vector<uint8_t> narrow(wide.begin(), wide.end());
    const JxlPixelFormat format{(recipe.gray ? 1u : 3u) + (alpha ? 1u : 0u),
                                recipe.wide ? JXL_TYPE_UINT16 : JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN,
                                0};
    ok = ok &&
         (recipe.wide ? JxlEncoderAddImageFrame(settings, &format, wide.data(), wide.size() * 2)
                      : JxlEncoderAddImageFrame(settings, &format, narrow.data(), narrow.size())) ==
             JXL_ENC_SUCCESS;
    JxlEncoderCloseInput(e);
    QByteArray bytes;
    JxlEncoderStatus status = ok ? JXL_ENC_NEED_MORE_OUTPUT : JXL_ENC_ERROR;
    while (status == JXL_ENC_NEED_MORE_OUTPUT) {
        const qsizetype used = bytes.size();
        bytes.resize(used + 65536);
        auto* next = reinterpret_cast<uint8_t*>(bytes.data() + used);
        size_t left = 65536;
        status = JxlEncoderProcessOutput(e, &next, &left);
        bytes.resize(bytes.size() - qsizetype(left));
    }
    EXPECT_EQ(status, JXL_ENC_SUCCESS) << "libjxl refused the picture";
    return status == JXL_ENC_SUCCESS ? bytes : QByteArray();
}
