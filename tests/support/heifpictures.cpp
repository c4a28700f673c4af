#include "tests/support/heifpictures.h"

#include <gtest/gtest.h>
#include <libheif/heif.h>

#include "image/bitmap.h"

namespace {

// A heif_image of the bitmap's pixels (interleaved RGB or RGBA).
heif_image* ImageOf(const TBitmap& bitmap) {
    const bool alpha = bitmap.pixelFormat() == TBitmap::PixelFormat::Bits32;
    const int channels = alpha ? 4 : 3;
    heif_image* image = nullptr;
    heif_image_create(bitmap.width(), bitmap.height(), heif_colorspace_RGB,
                      alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, &image);
    heif_image_add_plane(image, heif_channel_interleaved, bitmap.width(), bitmap.height(), 8);
    int stride = 0;
    uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
    for (int y = 0; y < bitmap.height(); ++y) {
        const uchar* from = bitmap.scanLine(y);
        uint8_t* to = plane + y * stride;
        for (int x = 0; x < bitmap.width(); ++x, from += channels, to += channels) {
            to[0] = from[2];
            to[1] = from[1];
            to[2] = from[0];
            if (alpha) to[3] = from[3];
        }
    }
    return image;
}

heif_error Append(heif_context*, const void* data, size_t size, void* userdata) {
    static_cast<QByteArray*>(userdata)->append(static_cast<const char*>(data), qsizetype(size));
    return {heif_error_Ok, heif_suberror_Unspecified, "ok"};
}

}  // namespace

QByteArray EncodeHeif(const TBitmap& picture, const HeifRecipe& recipe) {
    heif_context* context = heif_context_alloc();
    heif_encoder* encoder = nullptr;
    heif_context_get_encoder_for_format(
        context, recipe.av1 ? heif_compression_AV1 : heif_compression_HEVC, &encoder);
    heif_image* image = ImageOf(picture);
    if (!recipe.profile.isEmpty())
        heif_image_set_raw_color_profile(image, "prof", recipe.profile.constData(),
                                         size_t(recipe.profile.size()));
    heif_encoding_options* options = heif_encoding_options_alloc();
    options->image_orientation = heif_orientation(recipe.orientation);
    heif_encoder_set_lossy_quality(encoder, recipe.quality);
    heif_image_handle* handle = nullptr;
    heif_error error = heif_context_encode_image(context, image, encoder, options, &handle);
    if (error.code == heif_error_Ok && recipe.thumbnail != nullptr) {
        heif_image* small = ImageOf(*recipe.thumbnail);
        error = heif_context_encode_thumbnail(context, small, handle, encoder, options,
                                              recipe.thumbnailSide, nullptr);
        heif_image_release(small);
    }
    QByteArray bytes;
    heif_writer writer{1, Append};
    if (error.code == heif_error_Ok) error = heif_context_write(context, &writer, &bytes);
    EXPECT_EQ(error.code, heif_error_Ok) << error.message;
    heif_image_handle_release(handle);
    heif_encoding_options_free(options);
    heif_image_release(image);
    heif_encoder_release(encoder);
    heif_context_free(context);
    return error.code == heif_error_Ok ? bytes : QByteArray();
}
