#pragma once

#include <QByteArray>
#include <cstdint>
#include <string>

// The fields of a BMP file's headers that decide whether and how it is read.
struct BmpHeader {
    uint32_t pixelOffset = 0;  // where the pixel data starts
    uint32_t headerSize = 0;   // 12 for OS/2 1.x, 16..64 for OS/2 2.x, 40 and up for Windows
    int64_t width = 0;
    int64_t height = 0;  // negative: rows stored top-down
    uint32_t planes = 0;
    uint32_t bitCount = 0;
    uint32_t compression = 0;
    uint32_t colorsUsed = 0;  // palette entries; 0 means as many as the depth allows
    uint32_t masks[4] = {};   // red, green, blue, alpha, when the file gives them

    static constexpr uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6;

    bool isOs2() const { return headerSize < 40 || headerSize == 64; }
    // RLE8 and RLE4 use the same codes in Windows and OS/2 2.x headers; an
    // OS/2 1.x header (12 bytes) has no compression field.
    bool isRle() const {
        return headerSize != 12 &&
               ((compression == kRle8 && bitCount == 8) || (compression == kRle4 && bitCount == 4));
    }
    bool isUncompressed() const {
        return isOs2() ? compression == kRgb
                       : compression == kRgb || compression == kBitFields ||
                             compression == kAlphaBitFields;
    }
    int64_t rows() const { return height < 0 ? -height : height; }
    int64_t rowBytes() const { return (width * bitCount + 31) / 32 * 4; }
};

// Reads the headers; false with a reason when they are not those of a BMP file.
bool ParseBmpHeader(const QByteArray& data, BmpHeader& header, std::string& reason);

// Walks an RLE stream as a decoder would. Refuses any run, literal or jump
// that leaves the picture, and a stream that ends before its end marker. With
// indices (width x rows, bottom row first, zero-filled), stores the palette
// index of every pixel the stream gives; the pixels it skips keep index 0.
bool WalkRle(const QByteArray& data, const BmpHeader& header, unsigned char* indices,
             std::string& reason);

// Refuses what a careful reader must not draw from: a size that is not
// positive, pixel data cut short, a top-down or overrunning RLE stream, an
// OS/2 1.x palette shorter than its depth needs.
bool CheckBmpLayout(const QByteArray& data, const BmpHeader& header, std::string& reason);

// What the headers alone can tell of a file of fileSize bytes, before the rest
// is read: a size that is not positive, more than one plane, uncompressed
// pixel data that would end past the end of the file.
bool CheckBmpSize(const BmpHeader& header, int64_t fileSize, std::string& reason);
