#include "codec/pngwriter.h"

#include <spng.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "codec/packedpixels.h"
#include "image/bitmap.h"
#include "platform/filereader.h"

namespace {

struct ContextFree {
    void operator()(spng_ctx* context) const { spng_ctx_free(context); }
};

// The comment is written before the pixels, inside the file's head.
constexpr int64_t kCommentHeadBytes = 65536;

bool Failed(int error, std::string& reason) {
    reason = std::string("PNG: ") + spng_strerror(error);
    return false;
}

}  // namespace

bool EncodePng(const TBitmap& bitmap, const EncodeOptions& options, QByteArray& bytes,
               std::string& reason) {
    PackedPixels pixels = PackPixels(bitmap);
    std::unique_ptr<spng_ctx, ContextFree> context(spng_ctx_new(SPNG_CTX_ENCODER));
    if (!context) return Failed(SPNG_EMEM, reason);
    spng_ctx* png = context.get();
    spng_set_option(png, SPNG_ENCODE_TO_BUFFER, 1);
    spng_ihdr header = {};
    header.width = uint32_t(pixels.width);
    header.height = uint32_t(pixels.height);
    header.bit_depth = 8;
    header.color_type = pixels.alpha ? SPNG_COLOR_TYPE_TRUECOLOR_ALPHA : SPNG_COLOR_TYPE_TRUECOLOR;
    if (int error = spng_set_ihdr(png, &header)) return Failed(error, reason);
    std::string comment = options.comment;
    if (!comment.empty()) {
        spng_text text = {};
        std::strcpy(text.keyword, "Comment");
        text.type = SPNG_TEXT;
        text.length = comment.size();
        text.text = comment.data();
        if (int error = spng_set_text(png, &text, 1)) return Failed(error, reason);
    }
    if (int error = spng_encode_image(png, pixels.bytes.data(), pixels.bytes.size(), SPNG_FMT_PNG,
                                      SPNG_ENCODE_FINALIZE))
        return Failed(error, reason);
    size_t size = 0;
    int error = 0;
    void* buffer = spng_get_png_buffer(png, &size, &error);
    if (buffer == nullptr) return Failed(error, reason);
    bytes = QByteArray(static_cast<const char*>(buffer), qsizetype(size));
    std::free(buffer);
    return true;
}

std::optional<std::string> ReadPngComment(const std::string& path, std::string_view prefix) {
    const std::optional<QByteArray> head = ReadRegularFileHead(path, kCommentHeadBytes);
    if (!head) return std::nullopt;
    std::unique_ptr<spng_ctx, ContextFree> context(spng_ctx_new(0));
    if (!context) return std::nullopt;
    spng_ctx* png = context.get();
    spng_set_png_buffer(png, head->constData(), size_t(head->size()));
    uint32_t count = 0;
    if (spng_decode_chunks(png) != 0 || spng_get_text(png, nullptr, &count) != 0)
        return std::nullopt;
    std::vector<spng_text> texts(count);
    if (spng_get_text(png, texts.data(), &count) != 0) return std::nullopt;
    for (const spng_text& text : texts) {
        const std::string_view value(text.text, text.length);
        if (std::strcmp(text.keyword, "Comment") == 0 && value.substr(0, prefix.size()) == prefix)
            return std::string(value);
    }
    return std::nullopt;
}
