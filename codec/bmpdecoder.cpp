#include "codec/bmpdecoder.h"

#include <QBuffer>
#include <QImageReader>
#include <bit>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "codec/bmpheader.h"
#include "codec/jpeglimits.h"
#include "image/bitmap.h"

namespace {

// One channel's mask: shift to its lowest bit, and its largest value.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    uint64_t max = 0;

    uint8_t scale(uint32_t pixel) const {
        if (max == 0) return 0;
        const uint64_t value = (pixel & mask) >> shift;
        return static_cast<uint8_t>((value * 255 + max / 2) / max);
    }
};

bool MakeChannel(uint32_t mask, Channel& channel) {
    channel.mask = mask;
    if (mask == 0) return true;
    channel.shift = std::countr_zero(mask);
    channel.max = mask >> channel.shift;
    return (channel.max & (channel.max + 1)) == 0;  // contiguous bits only
}

// While a BMP decodes it is held twice: as Qt's or our reader makes it (at
// most 4 bytes a pixel) and as the 24-bit bitmap the run uses.
constexpr int64_t kBytesPerPixel = 7;

bool FitsAllocationLimit(const BmpHeader& h, std::string& reason) {
    // Divided, not multiplied: width and rows may each be near 2^31.
    if (h.rows() <= kJpegMemoryBudget / kBytesPerPixel / h.width) return true;
    reason = "BMP too large: " + std::to_string(h.width) + " x " + std::to_string(h.rows()) +
             " pixels need more than the " + std::to_string(kJpegMemoryBudget >> 20) +
             " MiB that one picture may use";
    return false;
}

// Qt's own limit (128 MB a picture) would refuse what the budget allows; the
// budget, checked first, is the limit.
void RaiseQtAllocationLimit() {
    static std::once_flag once;
    std::call_once(once, [] {
        const int budget = static_cast<int>(kJpegMemoryBudget >> 20);
        if (QImageReader::allocationLimit() < budget) QImageReader::setAllocationLimit(budget);
    });
}

bool IsMasked(const BmpHeader& h) {
    return (h.bitCount == 16 || h.bitCount == 32) && h.isUncompressed();
}

// Qt's reader fills every pixel only of uncompressed palette and 24-bit files
// (it leaves the pixels that an RLE stream skips as it found them).
bool QtReadsWhole(const BmpHeader& h) {
    return h.compression == BmpHeader::kRgb &&
           (h.bitCount == 1 || h.bitCount == 4 || h.bitCount == 8 || h.bitCount == 24);
}

// RLE files are decoded here so that the pixels a stream skips get palette
// entry 0 rather than whatever memory held.
bool DecodeRle(const QByteArray& data, const BmpHeader& h, TBitmap& bitmap, std::string& reason) {
    const int64_t depthEntries = int64_t{1} << h.bitCount;
    const int64_t entries = h.colorsUsed == 0 ? depthEntries : h.colorsUsed;
    const int64_t paletteAt = 14 + int64_t{h.headerSize};
    if (entries > depthEntries || paletteAt + entries * 4 > data.size()) {
        reason = "BMP palette does not fit";
        return false;
    }
    if (!FitsAllocationLimit(h, reason)) return false;
    const int width = static_cast<int>(h.width);
    const int rows = static_cast<int>(h.rows());
    std::vector<unsigned char> indices(size_t(width) * size_t(rows), 0);
    if (!WalkRle(data, h, indices.data(), reason)) return false;

    // Indices past the palette show black.
    unsigned char colours[256][3] = {};
    const auto* palette = reinterpret_cast<const unsigned char*>(data.constData()) + paletteAt;
    for (int64_t i = 0; i < entries; ++i)
        for (int c = 0; c < 3; ++c) colours[i][c] = palette[i * 4 + c];
    bitmap.setPixelFormat(TBitmap::PixelFormat::Bits24);
    bitmap.setSize(width, rows);
    for (int r = 0; r < rows; ++r) {
        const unsigned char* in = indices.data() + size_t(r) * size_t(width);
        uchar* out = bitmap.scanLine(rows - 1 - r);
        for (int x = 0; x < width; ++x) std::memcpy(out + x * 3, colours[in[x]], 3);
    }
    return true;
}

bool DecodeMasked(const QByteArray& data, const BmpHeader& h, TBitmap& bitmap,
                  std::string& reason) {
    uint32_t masks[3] = {h.masks[0], h.masks[1], h.masks[2]};
    if (h.compression == BmpHeader::kRgb) {
        if (h.bitCount == 16) {
            masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
        } else {
            masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
        }
    }
    Channel red, green, blue;
    if (!MakeChannel(masks[0], red) || !MakeChannel(masks[1], green) ||
        !MakeChannel(masks[2], blue)) {
        reason = "BMP colour mask with gaps";
        return false;
    }
    if (!FitsAllocationLimit(h, reason)) return false;
    const int width = static_cast<int>(h.width);
    const int rows = static_cast<int>(h.rows());
    bitmap.setPixelFormat(TBitmap::PixelFormat::Bits24);
    bitmap.setSize(width, rows);
    const auto* base = reinterpret_cast<const unsigned char*>(data.constData()) + h.pixelOffset;
    const int bytes = static_cast<int>(h.bitCount / 8);
    for (int r = 0; r < rows; ++r) {
        const unsigned char* in = base + h.rowBytes() * r;
        uchar* out = bitmap.scanLine(h.height > 0 ? rows - 1 - r : r);
        for (int x = 0; x < width; ++x, in += bytes, out += 3) {
            uint32_t pixel = uint32_t(in[0]) | uint32_t(in[1]) << 8;
            if (bytes == 4) pixel |= uint32_t(in[2]) << 16 | uint32_t(in[3]) << 24;
            out[0] = blue.scale(pixel);
            out[1] = green.scale(pixel);
            out[2] = red.scale(pixel);
        }
    }
    return true;
}

bool DecodeWithQt(const QByteArray& data, TBitmap& bitmap, std::string& reason) {
    RaiseQtAllocationLimit();
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "bmp");
    reader.setAutoDetectImageFormat(false);
    QImage image = reader.read();
    if (image.isNull()) {
        reason = "BMP not readable (" + reader.errorString().toStdString() + ")";
        return false;
    }
    bitmap = TBitmap(std::move(image));
    bitmap.setPixelFormat(TBitmap::PixelFormat::Bits24);
    return true;
}

}  // namespace

bool CheckBmpStart(const QByteArray& head, int64_t fileSize, std::string& reason) {
    BmpHeader header;
    return ParseBmpHeader(head, header, reason) && CheckBmpSize(header, fileSize, reason) &&
           FitsAllocationLimit(header, reason);
}

bool DecodeBmp(const QByteArray& data, TBitmap& bitmap, std::string& reason) {
    BmpHeader header;
    if (!ParseBmpHeader(data, header, reason) || !CheckBmpLayout(data, header, reason))
        return false;
    if (header.isRle()) return DecodeRle(data, header, bitmap, reason);
    if (IsMasked(header)) return DecodeMasked(data, header, bitmap, reason);
    if (QtReadsWhole(header)) return DecodeWithQt(data, bitmap, reason);
    reason = "BMP of a kind not supported (compression " + std::to_string(header.compression) +
             ", " + std::to_string(header.bitCount) + " bits a pixel)";
    return false;
}
