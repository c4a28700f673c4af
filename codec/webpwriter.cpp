#include "codec/webpwriter.h"

#include <webp/demux.h>
#include <webp/encode.h>
#include <webp/mux.h>

#include <memory>

#include "codec/packedpixels.h"
#include "image/bitmap.h"
#include "platform/filereader.h"

namespace {

// Far above any thumbnail; a larger file is not looked into.
constexpr int64_t kCommentFileBytes = int64_t{64} << 20;

struct MuxDelete {
    void operator()(WebPMux* mux) const { WebPMuxDelete(mux); }
    void operator()(WebPDemuxer* demux) const { WebPDemuxDelete(demux); }
};

bool WithComment(QByteArray& bytes, const std::string& comment) {
    const WebPData image = {reinterpret_cast<const uint8_t*>(bytes.constData()),
                            size_t(bytes.size())};
    std::unique_ptr<WebPMux, MuxDelete> mux(WebPMuxCreate(&image, 0));
    if (!mux) return false;
    const WebPData chunk = {reinterpret_cast<const uint8_t*>(comment.data()), comment.size()};
    if (WebPMuxSetChunk(mux.get(), kWebpCommentChunk, &chunk, 1) != WEBP_MUX_OK) return false;
    WebPData assembled = {};
    if (WebPMuxAssemble(mux.get(), &assembled) != WEBP_MUX_OK) return false;
    bytes = QByteArray(reinterpret_cast<const char*>(assembled.bytes), qsizetype(assembled.size));
    WebPDataClear(&assembled);
    return true;
}

}  // namespace

bool EncodeWebp(const TBitmap& bitmap, const EncodeOptions& options, QByteArray& bytes,
                std::string& reason) {
    const PackedPixels pixels = PackPixels(bitmap);
    uint8_t* output = nullptr;
    const float quality = float(options.quality);
    const size_t size = pixels.alpha
                            ? WebPEncodeRGBA(pixels.bytes.data(), pixels.width, pixels.height,
                                             pixels.stride(), quality, &output)
                            : WebPEncodeRGB(pixels.bytes.data(), pixels.width, pixels.height,
                                            pixels.stride(), quality, &output);
    if (size == 0) {
        WebPFree(output);
        reason = "WebP: the picture could not be encoded";
        return false;
    }
    bytes = QByteArray(reinterpret_cast<const char*>(output), qsizetype(size));
    WebPFree(output);
    if (!options.comment.empty() && !WithComment(bytes, options.comment)) {
        reason = "WebP: the comment could not be added";
        return false;
    }
    return true;
}

std::optional<std::string> ReadWebpComment(const std::string& path, std::string_view prefix) {
    const std::optional<QByteArray> file = ReadRegularFileHead(path, kCommentFileBytes);
    if (!file) return std::nullopt;
    const WebPData data = {reinterpret_cast<const uint8_t*>(file->constData()),
                           size_t(file->size())};
    std::unique_ptr<WebPDemuxer, MuxDelete> demux(WebPDemux(&data));
    WebPChunkIterator chunk;
    if (!demux || !WebPDemuxGetChunk(demux.get(), kWebpCommentChunk, 1, &chunk))
        return std::nullopt;
    std::string text(reinterpret_cast<const char*>(chunk.chunk.bytes), chunk.chunk.size);
    WebPDemuxReleaseChunkIterator(&chunk);
    if (text.compare(0, prefix.size(), prefix) != 0) return std::nullopt;
    return text;
}
