#include "codec/webpdecoder.h"

#include <webp/decode.h>
#include <webp/demux.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

#include "codec/decodebudget.h"
#include "codec/exiforientation.h"
#include "codec/picturefinish.h"
#include "image/bitmap.h"

namespace {

constexpr int kLossless = 2;  // WebPBitstreamFeatures::format

struct DemuxFree {
    void operator()(WebPDemuxer* demux) const { WebPDemuxDelete(demux); }
};
struct AnimFree {
    void operator()(WebPAnimDecoder* decoder) const { WebPAnimDecoderDelete(decoder); }
};

QByteArray Chunk(WebPDemuxer* demux, const char* fourcc) {
    WebPChunkIterator it{};
    if (demux == nullptr || !WebPDemuxGetChunk(demux, fourcc, 1, &it)) return {};
    QByteArray chunk(reinterpret_cast<const char*>(it.chunk.bytes), qsizetype(it.chunk.size));
    WebPDemuxReleaseChunkIterator(&it);
    return chunk;
}

bool Damaged(std::string& reason) {
    reason = "WebP: damaged picture data";
    return false;
}

// The first frame composed on the animation's canvas, as a viewer shows it.
bool DecodeFirstFrame(const WebPData& data, TBitmap& bitmap, std::string& reason) {
    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options)) return Damaged(reason);
    options.color_mode = MODE_BGRA;
    options.use_threads = 0;
    const std::unique_ptr<WebPAnimDecoder, AnimFree> decoder(WebPAnimDecoderNew(&data, &options));
    WebPAnimInfo info{};
    if (!decoder || !WebPAnimDecoderGetInfo(decoder.get(), &info)) return Damaged(reason);
    // The canvas the decoder holds, the bitmap and a turned copy.
    if (!FitsDecodeBudget(info.canvas_width, info.canvas_height, 12, reason)) return false;
    uint8_t* canvas = nullptr;
    int timestamp = 0;
    if (!WebPAnimDecoderGetNext(decoder.get(), &canvas, &timestamp)) return Damaged(reason);
    bitmap = TBitmap(int(info.canvas_width), int(info.canvas_height), TBitmap::PixelFormat::Bits32);
    if (bitmap.isEmpty()) throw std::bad_alloc();
    const size_t rowBytes = size_t(info.canvas_width) * 4;
    for (int y = 0; y < bitmap.height(); ++y)
        std::memcpy(bitmap.scanLine(y), canvas + rowBytes * size_t(y), rowBytes);
    return true;
}

// The size a draft decode scales to: the longer side twice the thumbnail's,
// the other in proportion; the picture's own when it is no larger.
void DraftSize(int& width, int& height, int thumbnailSize) {
    const int64_t target = 2 * int64_t{thumbnailSize};
    const int64_t longer = std::max(width, height);
    if (longer <= target) return;
    const auto scaled = [&](int side) {
        return int(std::max<int64_t>(1, (side * target + longer / 2) / longer));
    };
    width = scaled(width);
    height = scaled(height);
}

bool DecodeStill(const WebPData& data, const WebPBitstreamFeatures& features,
                 const DecodeOptions& options, TBitmap& bitmap, std::string& reason) {
    const bool alpha = features.has_alpha != 0;
    if (!FitsDecodeBudget(features.width, features.height, alpha ? 8 : 6, reason)) return false;
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config)) return Damaged(reason);
    int width = features.width, height = features.height;
    // libwebp scales a lossy picture as it decodes, so the full picture is
    // never held; a lossless one it decodes whole first, so scaling saves nothing.
    if (options.draft && features.format != kLossless)
        DraftSize(width, height, options.thumbnailSize);
    if (width != features.width || height != features.height) {
        config.options.use_scaling = 1;
        config.options.scaled_width = width;
        config.options.scaled_height = height;
    }
    bitmap =
        TBitmap(width, height, alpha ? TBitmap::PixelFormat::Bits32 : TBitmap::PixelFormat::Bits24);
    if (bitmap.isEmpty()) throw std::bad_alloc();
    config.output.colorspace = alpha ? MODE_BGRA : MODE_BGR;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = bitmap.scanLine(0);
    config.output.u.RGBA.stride = int(bitmap.bytesPerLine());
    config.output.u.RGBA.size = size_t(bitmap.bytesPerLine()) * size_t(height);
    if (WebPDecode(data.bytes, data.size, &config) != VP8_STATUS_OK) {
        WebPFreeDecBuffer(&config.output);
        bitmap = TBitmap();
        return Damaged(reason);
    }
    WebPFreeDecBuffer(&config.output);
    return true;
}

}  // namespace

bool IsWebpStart(std::string_view head) {
    return head.size() >= 12 && head.substr(0, 4) == "RIFF" && head.substr(8, 4) == "WEBP";
}

bool DecodeWebp(const QByteArray& bytes, const DecodeOptions& options, TBitmap& bitmap,
                std::string& reason) {
    const WebPData data{reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())};
    WebPBitstreamFeatures features{};
    if (WebPGetFeatures(data.bytes, data.size, &features) != VP8_STATUS_OK) {
        reason = "WebP: not a picture libwebp can read (damaged or cut short)";
        return false;
    }
    const bool decoded = features.has_animation
                             ? DecodeFirstFrame(data, bitmap, reason)
                             : DecodeStill(data, features, options, bitmap, reason);
    if (!decoded) return false;
    const std::unique_ptr<WebPDemuxer, DemuxFree> demux(WebPDemux(&data));
    const QByteArray exif = Chunk(demux.get(), "EXIF");
    const int orientation = BareExifOrientation(
        reinterpret_cast<const unsigned char*>(exif.constData()), size_t(exif.size()));
    FinishPicture(bitmap, Chunk(demux.get(), "ICCP"), orientation, options);
    return true;
}
