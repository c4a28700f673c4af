#include "codec/bmpheader.h"

namespace {

uint32_t Byte(const QByteArray& data, int64_t at) {
    return reinterpret_cast<const unsigned char*>(data.constData())[at];
}

uint32_t U16(const QByteArray& data, int64_t at) {
    return Byte(data, at) | Byte(data, at + 1) << 8;
}

uint32_t U32(const QByteArray& data, int64_t at) {
    return U16(data, at) | U16(data, at + 2) << 16;
}

bool Fail(std::string& reason, const char* text) {
    reason = text;
    return false;
}

}  // namespace

bool WalkRle(const QByteArray& data, const BmpHeader& h, unsigned char* indices,
             std::string& reason) {
    const int64_t size = data.size();
    const int64_t width = h.width;
    const int64_t rows = h.rows();
    const bool four = h.bitCount == 4;
    auto put = [&](int64_t x, int64_t y, uint32_t index) {
        if (indices != nullptr) indices[y * width + x] = static_cast<unsigned char>(index);
    };
    int64_t at = h.pixelOffset;
    int64_t x = 0, y = 0;
    while (at + 2 <= size) {
        const uint32_t count = Byte(data, at);
        const uint32_t code = Byte(data, at + 1);
        at += 2;
        if (count > 0) {
            // A run repeats one index, or two alternating ones in 4-bit files.
            if (y >= rows || x + count > width) return Fail(reason, "RLE run outside the picture");
            for (uint32_t i = 0; i < count; ++i)
                put(x + i, y, four ? (i % 2 == 0 ? code >> 4 : code & 0x0F) : code);
            x += count;
        } else if (code == 0) {
            x = 0;
            ++y;
        } else if (code == 1) {
            return true;
        } else if (code == 2) {
            if (at + 2 > size) break;
            x += Byte(data, at);
            y += Byte(data, at + 1);
            at += 2;
            if (x > width || y > rows) return Fail(reason, "RLE jump outside the picture");
        } else {
            // A literal run of `code` indices, padded to 16 bits.
            const int64_t bytes = four ? (code + 1) / 2 : code;
            if (y >= rows || x + code > width) return Fail(reason, "RLE run outside the picture");
            if (at + bytes > size) break;
            for (uint32_t i = 0; i < code; ++i) {
                const uint32_t byte = Byte(data, at + (four ? i / 2 : i));
                put(x + i, y, four ? (i % 2 == 0 ? byte >> 4 : byte & 0x0F) : byte);
            }
            x += code;
            at += (bytes + 1) / 2 * 2;
        }
    }
    return Fail(reason, "RLE data cut short");
}

bool ParseBmpHeader(const QByteArray& data, BmpHeader& h, std::string& reason) {
    if (data.size() < 18 || data[0] != 'B' || data[1] != 'M') return Fail(reason, "not a BMP file");
    h.pixelOffset = U32(data, 10);
    h.headerSize = U32(data, 14);
    if (h.headerSize < 12 || int64_t{14} + h.headerSize > data.size())
        return Fail(reason, "BMP header cut short or of unknown size");
    if (h.headerSize == 12) {
        h.width = U16(data, 18);
        h.height = U16(data, 20);
        h.planes = U16(data, 22);
        h.bitCount = U16(data, 24);
        return true;
    }
    if (h.headerSize < 16) return Fail(reason, "BMP header of unknown size");
    h.width = static_cast<int32_t>(U32(data, 18));
    h.height = static_cast<int32_t>(U32(data, 22));
    h.planes = U16(data, 26);
    h.bitCount = U16(data, 28);
    if (h.headerSize >= 20) h.compression = U32(data, 30);
    if (h.headerSize >= 36) h.colorsUsed = U32(data, 46);
    if (h.isOs2()) return true;

    // Masks follow the 40-byte part of the header, inside a longer header or
    // after a short one.
    const int64_t count = h.compression == BmpHeader::kAlphaBitFields ? 4
                          : h.compression == BmpHeader::kBitFields    ? 3
                                                                      : 0;
    if (14 + 40 + 4 * count > data.size()) return Fail(reason, "BMP colour masks cut short");
    for (int64_t i = 0; i < count; ++i) h.masks[i] = U32(data, 14 + 40 + 4 * i);
    return true;
}

bool CheckBmpSize(const BmpHeader& h, int64_t fileSize, std::string& reason) {
    if (h.width <= 0 || h.height == 0) return Fail(reason, "BMP size is not positive");
    if (h.planes != 1) return Fail(reason, "BMP with more than one plane");
    if (h.isUncompressed() && h.bitCount > 0 && h.bitCount <= 32) {
        // Divided, not multiplied: width and rows may each be near 2^31.
        const int64_t available = fileSize - int64_t{h.pixelOffset};
        if (available < h.rowBytes() || h.rows() > available / h.rowBytes())
            return Fail(reason, "BMP pixel data cut short: the file is smaller than its size says");
    }
    return true;
}

bool CheckBmpLayout(const QByteArray& data, const BmpHeader& h, std::string& reason) {
    if (!CheckBmpSize(h, data.size(), reason)) return false;
    if (h.isRle()) {
        if (h.height < 0) return Fail(reason, "RLE BMP stored top-down");
        return WalkRle(data, h, nullptr, reason);
    }
    if ((h.bitCount == 16 || h.bitCount == 32) && h.isUncompressed()) {
        // Masks stored after a 40-byte header belong to the headers too.
        const int64_t masks = h.headerSize != 40                            ? 0
                              : h.compression == BmpHeader::kAlphaBitFields ? 16
                              : h.compression == BmpHeader::kBitFields      ? 12
                                                                            : 0;
        if (int64_t{h.pixelOffset} < 14 + int64_t{h.headerSize} + masks)
            return Fail(reason, "BMP pixel data inside its headers");
    }
    if (h.headerSize == 12 && h.bitCount <= 8) {
        const int64_t entries = (int64_t{h.pixelOffset} - 26) / 3;
        if (entries < (int64_t{1} << h.bitCount)) return Fail(reason, "BMP palette cut short");
    }
    return true;
}
