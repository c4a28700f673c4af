#include "codec/rawdecoder.h"

#include <libraw/libraw.h>

#include <memory>

#include "codec/filetypebox.h"
#include "codec/jpegimage.h"
#include "codec/jpeglimits.h"
#include "codec/jpegpicture.h"
#include "image/bitmap.h"
#include "image/orientation.h"

namespace {

constexpr uint16_t kDngVersionTag = 0xC612;

uint32_t Read(std::string_view bytes, size_t at, int size, bool little) {
    uint32_t value = 0;
    for (int i = 0; i < size; ++i) {
        const uint32_t byte = static_cast<unsigned char>(bytes[at + size_t(i)]);
        value |= little ? byte << (8 * i) : byte << (8 * (size - 1 - i));
    }
    return value;
}

bool IsTiffStart(std::string_view head) {
    return head.substr(0, 4) == std::string_view("II*\0", 4) ||
           head.substr(0, 4) == std::string_view("MM\0*", 4);
}

// Whether the first IFD, as far as head holds it, has a DNGVersion entry.
bool HasDngVersion(std::string_view head) {
    if (head.size() < 8 || !IsTiffStart(head)) return false;
    const bool little = head[0] == 'I';
    const size_t ifd = Read(head, 4, 4, little);
    if (ifd + 2 > head.size()) return false;
    const size_t count = Read(head, ifd, 2, little);
    for (size_t i = 0; i < count && ifd + 2 + 12 * (i + 1) <= head.size(); ++i)
        if (Read(head, ifd + 2 + 12 * i, 2, little) == kDngVersionTag) return true;
    return false;
}

}  // namespace

bool IsRawStart(std::string_view head) {
    const auto starts = [&](std::string_view signature) {
        return head.substr(0, signature.size()) == signature;
    };
    return starts("FUJIFILMCCD-RAW") || starts("IIRO") || starts("IIRS") || starts("MMOR") ||
           starts(std::string_view("IIU\0", 4)) ||
           (IsTiffStart(head) && head.size() >= 12 &&
            head.substr(8, 4) == std::string_view("CR\x02\0", 4)) ||
           HasFileTypeBrand(head, "crx ", true) || HasDngVersion(head);
}

bool CheckRawStart(const QByteArray& head, int64_t, std::string& reason) {
    const std::string_view start(head.constData(), size_t(head.size()));
    if (IsRawStart(start) || IsTiffStart(start)) return true;
    reason = "not a camera RAW file: neither a TIFF start nor a RAW signature";
    return false;
}

int OrientationOfFlip(int flip) {
    static constexpr int kOrientations[8] = {1, 2, 4, 3, 5, 8, 6, 7};
    return kOrientations[flip & 7];
}

namespace {

// The embedded JPEG preview and the RAW's flip value; LibRaw's buffers are
// gone when this returns, before the preview is decoded.
bool ExtractPreview(const QByteArray& bytes, QByteArray& preview, int& flip, std::string& reason) {
    const auto raw = std::make_unique<LibRaw>(LIBRAW_OPTIONS_NONE);
    raw->imgdata.params.max_raw_memory_mb = unsigned(kJpegMemoryBudget >> 20);
    // LibRaw only reads the buffer; its interface is not const.
    int error = raw->open_buffer(const_cast<char*>(bytes.constData()), size_t(bytes.size()));
    if (error == LIBRAW_SUCCESS) error = raw->unpack_thumb();
    if (error == LIBRAW_NO_THUMBNAIL) {
        reason = "the RAW file holds no preview picture";
        return false;
    }
    if (error != LIBRAW_SUCCESS) {
        reason = std::string("not a readable camera RAW file: ") + libraw_strerror(error);
        return false;
    }
    const libraw_thumbnail_t& thumbnail = raw->imgdata.thumbnail;
    if (thumbnail.tformat != LIBRAW_THUMBNAIL_JPEG || thumbnail.thumb == nullptr) {
        reason = "the RAW file's preview is not a JPEG picture";
        return false;
    }
    preview = QByteArray(thumbnail.thumb, qsizetype(thumbnail.tlength));
    flip = raw->imgdata.sizes.flip;
    return true;
}

}  // namespace

bool DecodeRawPicture(const QByteArray& bytes, const DecodeOptions& options, TBitmap& bitmap,
                      std::string& reason) {
    QByteArray preview;
    int flip = 0;
    if (!ExtractPreview(bytes, preview, flip, reason)) return false;
    DecodeOptions jpegOptions = options;
    jpegOptions.autoOrient = false;
    if (!DecodePicture(JpegFormat(), preview, jpegOptions, bitmap, reason)) {
        reason = "the RAW file's JPEG preview: " + reason;
        return false;
    }
    if (options.autoOrient) {
        TJPEGImage header;
        header.LoadFromBytes(preview);
        const int own = header.Orientation();
        TurnUpright(bitmap, own != 1 ? own : OrientationOfFlip(flip));
    }
    return true;
}
