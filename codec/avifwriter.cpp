#include "codec/avifwriter.h"

#include <libheif/heif.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "codec/packedpixels.h"
#include "image/bitmap.h"
#include "platform/filereader.h"

namespace {

// Far above any thumbnail; a larger file is not looked into.
constexpr int64_t kCommentFileBytes = int64_t{64} << 20;

struct HeifFree {
    void operator()(heif_context* context) const { heif_context_free(context); }
    void operator()(heif_encoder* encoder) const { heif_encoder_release(encoder); }
    void operator()(heif_image* image) const { heif_image_release(image); }
    void operator()(heif_image_handle* handle) const { heif_image_handle_release(handle); }
};
template <typename T>
using HeifPtr = std::unique_ptr<T, HeifFree>;

bool Failed(const heif_error& error, std::string& reason) {
    reason = std::string("AVIF: ") + (error.message ? error.message : "encoder failure");
    return false;
}

heif_error Append(heif_context*, const void* data, size_t size, void* userdata) {
    static_cast<QByteArray*>(userdata)->append(static_cast<const char*>(data), qsizetype(size));
    return heif_error{heif_error_Ok, heif_suberror_Unspecified, "ok"};
}

// The picture's pixels in a libheif image of interleaved 8-bit channels.
HeifPtr<heif_image> MakeImage(const PackedPixels& pixels, heif_error& error) {
    heif_image* made = nullptr;
    error = heif_image_create(
        pixels.width, pixels.height, heif_colorspace_RGB,
        pixels.alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, &made);
    HeifPtr<heif_image> image(made);
    if (error.code != heif_error_Ok) return nullptr;
    error = heif_image_add_plane(made, heif_channel_interleaved, pixels.width, pixels.height, 8);
    if (error.code != heif_error_Ok) return nullptr;
    int stride = 0;
    uint8_t* plane = heif_image_get_plane(made, heif_channel_interleaved, &stride);
    for (int y = 0; y < pixels.height; ++y)
        std::memcpy(plane + size_t(y) * size_t(stride),
                    pixels.bytes.data() + size_t(y) * size_t(pixels.stride()),
                    size_t(pixels.stride()));
    return image;
}

}  // namespace

bool EncodeAvif(const TBitmap& bitmap, const EncodeOptions& options, QByteArray& bytes,
                std::string& reason) {
    const PackedPixels pixels = PackPixels(bitmap);
    HeifPtr<heif_context> context(heif_context_alloc());
    heif_encoder* made = nullptr;
    heif_error error =
        heif_context_get_encoder_for_format(context.get(), heif_compression_AV1, &made);
    if (error.code != heif_error_Ok) return Failed(error, reason);
    HeifPtr<heif_encoder> encoder(made);
    error = heif_encoder_set_lossy_quality(made, options.quality);
    if (error.code != heif_error_Ok) return Failed(error, reason);
    // One thread: the batch runs files in parallel, and aom's bytes depend on
    // its thread count. Speed 8 of 0..9: on a 160 x 107 thumbnail it took 44
    // ms against 75 at the default 6, for a file of about the same size.
    heif_encoder_set_parameter_integer(made, "threads", 1);
    heif_encoder_set_parameter_integer(made, "speed", 8);
    const HeifPtr<heif_image> image = MakeImage(pixels, error);
    if (!image) return Failed(error, reason);
    heif_image_handle* handle = nullptr;
    error = heif_context_encode_image(context.get(), image.get(), made, nullptr, &handle);
    const HeifPtr<heif_image_handle> owned(handle);
    if (error.code != heif_error_Ok) return Failed(error, reason);
    if (!options.comment.empty()) {
        error =
            heif_context_add_generic_metadata(context.get(), handle, options.comment.data(),
                                              int(options.comment.size()), "mime", "text/plain");
        if (error.code != heif_error_Ok) return Failed(error, reason);
    }
    bytes.clear();
    heif_writer writer = {1, Append};
    error = heif_context_write(context.get(), &writer, &bytes);
    if (error.code != heif_error_Ok) return Failed(error, reason);
    return true;
}

std::optional<std::string> ReadAvifComment(const std::string& path, std::string_view prefix) {
    const std::optional<QByteArray> file = ReadRegularFileHead(path, kCommentFileBytes);
    if (!file) return std::nullopt;
    HeifPtr<heif_context> context(heif_context_alloc());
    heif_image_handle* handle = nullptr;
    if (heif_context_read_from_memory_without_copy(context.get(), file->constData(),
                                                   size_t(file->size()), nullptr)
                .code != heif_error_Ok ||
        heif_context_get_primary_image_handle(context.get(), &handle).code != heif_error_Ok)
        return std::nullopt;
    const HeifPtr<heif_image_handle> owned(handle);
    const int count = heif_image_handle_get_number_of_metadata_blocks(handle, "mime");
    std::vector<heif_item_id> ids(size_t(std::max(count, 0)));
    heif_image_handle_get_list_of_metadata_block_IDs(handle, "mime", ids.data(), count);
    for (const heif_item_id id : ids) {
        if (std::strcmp(heif_image_handle_get_metadata_content_type(handle, id), "text/plain") != 0)
            continue;
        std::string text(heif_image_handle_get_metadata_size(handle, id), '\0');
        if (heif_image_handle_get_metadata(handle, id, text.data()).code == heif_error_Ok &&
            text.compare(0, prefix.size(), prefix) == 0)
            return text;
    }
    return std::nullopt;
}
