// Hostile and odd source files: pixels an RLE stream skips, sizes whose
// products overflow, files too large to be read at all.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <cstdint>
#include <string>
#include <vector>

#include "codec/bmpdecoder.h"
#include "conversion/runconversion.h"
#include "conversion/runstate.h"
#include "conversion/sourceloader.h"
#include "image/bitmap.h"
#include "tests/conversion/conversiontesthost.h"
#include "tests/support/removetree.h"
#include "tests/support/tempfolder.h"

namespace {

void PutU16(QByteArray& bytes, uint32_t value) {
    bytes.append(char(value & 0xFF)).append(char(value >> 8 & 0xFF));
}

void PutU32(QByteArray& bytes, uint32_t value) {
    PutU16(bytes, value & 0xFFFF);
    PutU16(bytes, value >> 16);
}

struct BmpLayout {
    uint32_t headerSize = 40;  // 40 Windows, 16..64 OS/2 2.x
    int32_t width = 4;
    int32_t height = 2;
    uint32_t bitCount = 8;
    uint32_t compression = 1;
    std::vector<uint32_t> palette;  // 0x00RRGGBB
    QByteArray pixels;
};

// A BMP file as the layout says, with a palette of 4 bytes an entry.
QByteArray MakeBmp(const BmpLayout& layout) {
    const uint32_t offset = 14 + layout.headerSize + 4 * uint32_t(layout.palette.size());
    QByteArray bytes("BM");
    PutU32(bytes, offset + uint32_t(layout.pixels.size()));
    PutU32(bytes, 0);
    PutU32(bytes, offset);
    PutU32(bytes, layout.headerSize);
    PutU32(bytes, uint32_t(layout.width));
    PutU32(bytes, uint32_t(layout.height));
    PutU16(bytes, 1);
    PutU16(bytes, layout.bitCount);
    PutU32(bytes, layout.compression);
    PutU32(bytes, uint32_t(layout.pixels.size()));
    PutU32(bytes, 2835);
    PutU32(bytes, 2835);
    PutU32(bytes, uint32_t(layout.palette.size()));
    PutU32(bytes, 0);
    bytes.append(QByteArray(int(layout.headerSize) - 40, '\0'));
    for (uint32_t colour : layout.palette) PutU32(bytes, colour);
    return bytes.append(layout.pixels);
}

QByteArray Bytes(std::initializer_list<int> values) {
    QByteArray bytes;
    for (int v : values) bytes.append(char(v));
    return bytes;
}

// Blue, green, red of a pixel.
std::vector<int> PixelAt(const TBitmap& bitmap, int x, int y) {
    const uchar* p = bitmap.scanLine(y) + x * 3;
    return {p[0], p[1], p[2]};
}

long PeakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// A file of size bytes that holds prefix and then zeros, made without writing them.
void MakeSparseFile(const std::string& path, const QByteArray& prefix, int64_t size) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, prefix.constData(), size_t(prefix.size())), prefix.size());
    ASSERT_EQ(::ftruncate(fd, off_t(size)), 0);
    ::close(fd);
}

// The stream skips pixels two ways, at the end of a line and by a jump.
TEST(RleBmp, SkippedPixelsTakePaletteEntryZeroUnderEveryHeader) {
    const std::vector<int> entry0 = {10, 20, 30}, entry1 = {200, 100, 50};
    const struct {
        uint32_t headerSize;
        uint32_t bitCount;
        QByteArray pixels;
    } rows[] = {
        // Bottom row: two of index 1, end of line. Top row: jump 2, two of index 1.
        {40, 8, Bytes({2, 1, 0, 0, 0, 2, 2, 0, 2, 1, 0, 1})},
        {64, 8, Bytes({2, 1, 0, 0, 0, 2, 2, 0, 2, 1, 0, 1})},
        {64, 4, Bytes({2, 0x11, 0, 0, 0, 2, 2, 0, 2, 0x11, 0, 1})},
        {40, 4, Bytes({2, 0x11, 0, 0, 0, 2, 2, 0, 2, 0x11, 0, 1})},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::to_string(r.headerSize) + " byte header, RLE" +
                     std::to_string(r.bitCount));
        BmpLayout layout;
        layout.headerSize = r.headerSize;
        layout.bitCount = r.bitCount;
        layout.compression = r.bitCount == 8 ? 1 : 2;
        layout.palette = {0x1E140A, 0x3264C8};
        layout.pixels = r.pixels;
        // Decoded after another picture, into the same bitmap.
        TBitmap bitmap = TestPicture(4, 2, 3);
        std::string reason;
        ASSERT_TRUE(DecodeBmp(MakeBmp(layout), bitmap, reason)) << reason;
        ASSERT_EQ(bitmap.width(), 4);
        const std::vector<int> expected[2][4] = {{entry0, entry0, entry1, entry1},
                                                 {entry1, entry1, entry0, entry0}};
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 4; ++x)
                EXPECT_EQ(PixelAt(bitmap, x, y), expected[y][x]) << "at " << x << ", " << y;
    }
}

// Kinds no reader fills wholly, sizes near 2^31 on both sides (every product
// of them would overflow), and 16- or 32-bit pixel data that starts inside the
// headers (it would show them as colours): all refused, with a reason.
TEST(BmpChecks, WhatCannotBeReadWhollyAndSafelyIsRefused) {
    constexpr int32_t kWide = 2147483647, kLow = -2147483647 - 1;
    enum Palette { kNone, kZero, kBlackWhite, kMasks };
    enum Pixels { kTwoBytes, kZeros64, kTwoRows };
    const struct {
        uint32_t headerSize;
        int32_t width, height;
        uint32_t bitCount, compression;
        Palette palette;
        Pixels pixels;
        int64_t offset;      // of the pixel data; -1: where the headers end
        const char* reason;  // nullptr: any
        bool atStart;        // CheckBmpStart refuses it too
    } rows[] = {
        {64, 4, 2, 24, 4, kBlackWhite, kZeros64, -1, nullptr, false},  // OS/2 RLE24
        {64, 4, 2, 1, 3, kBlackWhite, kZeros64, -1, nullptr, false},   // OS/2 Huffman 1D
        {40, 4, 2, 4, 1, kBlackWhite, kZeros64, -1, nullptr, false},   // RLE8 code, 4 bits
        {40, 4, 2, 8, 2, kBlackWhite, kZeros64, -1, nullptr, false},   // RLE4 code, 8 bits
        {40, 4, 2, 24, 1, kBlackWhite, kZeros64, -1, nullptr, false},
        {40, 4, 2, 8, 4, kBlackWhite, kZeros64, -1, nullptr, false},    // embedded JPEG
        {40, 4, 2, 8, 5, kBlackWhite, kZeros64, -1, nullptr, false},    // embedded PNG
        {40, 4, 2, 2, 0, kBlackWhite, kZeros64, -1, nullptr, false},    // 2 bits a pixel
        {40, kWide, kWide, 8, 1, kZero, kTwoBytes, -1, nullptr, true},  // RLE8, 60 bytes in all
        {40, kWide, kLow, 8, 1, kZero, kTwoBytes, -1, nullptr, true},
        {40, kWide, kWide, 32, 0, kNone, kTwoBytes, -1, nullptr, true},
        {40, kWide, kLow, 24, 0, kNone, kTwoBytes, -1, nullptr, true},
        {40, 1, kLow, 1, 0, kZero, kTwoBytes, -1, nullptr, true},
        {40, kWide, 1, 16, 3, kNone, kTwoBytes, -1, nullptr, true},
        {40, 4, 2, 16, 0, kNone, kTwoRows, 0, "BMP pixel data inside its headers", false},
        {40, 4, 2, 32, 0, kNone, kTwoRows, 0, "BMP pixel data inside its headers", false},
        {40, 4, 2, 16, 3, kMasks, kTwoRows, 0, "BMP pixel data inside its headers", false},
        {40, 4, 2, 32, 3, kMasks, kTwoRows, 54, "BMP pixel data inside its headers", false},
        {40, 4, 2, 32, 0, kNone, kTwoRows, 53, "BMP pixel data inside its headers", false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::to_string(r.headerSize) + "-byte header, " + std::to_string(r.width) +
                     " x " + std::to_string(r.height) + ", " + std::to_string(r.bitCount) +
                     " bits, compression " + std::to_string(r.compression) + ", offset " +
                     std::to_string(r.offset));
        BmpLayout layout{r.headerSize, r.width, r.height, r.bitCount, r.compression, {}, {}};
        if (r.palette == kZero) layout.palette = {0};
        if (r.palette == kBlackWhite) layout.palette = {0, 0xFFFFFF};
        if (r.palette == kMasks) layout.palette = {0xF800, 0x07E0, 0x001F};
        layout.pixels = r.pixels == kTwoBytes ? Bytes({0, 1})
                        : r.pixels == kZeros64
                            ? QByteArray(64, '\0')
                            : QByteArray(int(r.width * r.bitCount / 8 * 2), '\x7f');
        QByteArray file = MakeBmp(layout);
        for (int i = 0; r.offset >= 0 && i < 4; ++i)
            file[10 + i] = char(r.offset >> (8 * i) & 0xFF);
        TBitmap bitmap;
        std::string reason;
        EXPECT_FALSE(DecodeBmp(file, bitmap, reason));
        if (r.reason != nullptr) {
            EXPECT_EQ(reason, r.reason);
        } else {
            EXPECT_FALSE(reason.empty());
        }
        if (r.atStart) {
            EXPECT_FALSE(CheckBmpStart(file, file.size(), reason));
        }
    }
}

// Qt's reader allows 128 MB a picture on its own; BMPs get the memory a JPEG
// decode may use.
TEST(BmpSizeChecks, PicturesUpToTheMemoryBudgetAreRead) {
    BmpLayout layout;
    layout.width = 5800;  // 33.6 megapixels: 135 MB at Qt's 4 bytes a pixel
    layout.height = 5800;
    layout.bitCount = 24;
    layout.compression = 0;
    layout.pixels = QByteArray(5800 * 5800 * 3, '\x40');
    TBitmap bitmap;
    std::string reason;
    ASSERT_TRUE(DecodeBmp(MakeBmp(layout), bitmap, reason)) << reason;
    EXPECT_EQ(bitmap.width(), 5800);
    EXPECT_EQ(PixelAt(bitmap, 5799, 5799), (std::vector<int>{0x40, 0x40, 0x40}));
}

class HugeSourceTest : public TempFolderTest {
protected:
    std::string refusal(const std::string& file) {
        std::string reason;
        TBitmap bitmap;
        EXPECT_FALSE(LoadSourceFile(bitmap, file, state_, host_, &reason)) << file;
        return reason;
    }

    TestHost host_;
    RunState state_;
};

TEST_F(HugeSourceTest, FilesOverTheLimitAreRefusedUnread) {
    const long before = PeakKilobytes();
    MakeSparseFile(path("big.jpg"), QByteArray("\xFF\xD8\xFF\xE0", 4), int64_t{3} << 30);
    MakeSparseFile(path("big.bmp"), QByteArray("BM"), int64_t{3} << 29);
    MakeSparseFile(path("limit.jpg"), QByteArray(), kMaxSourceBytes + 1);
    EXPECT_EQ(refusal(path("big.jpg")),
              "file too large (3072 MiB; a picture file may have at most 1024 MiB)");
    EXPECT_EQ(refusal(path("big.bmp")),
              "file too large (1536 MiB; a picture file may have at most 1024 MiB)");
    EXPECT_NE(refusal(path("limit.jpg")).find("file too large"), std::string::npos);
    EXPECT_LT(PeakKilobytes() - before, 100 * 1024);
}

TEST_F(HugeSourceTest, HeadersAreCheckedBeforeTheRestIsRead) {
    const long before = PeakKilobytes();
    // Under the limit, but only zeros: no JPEG file, no BMP file.
    MakeSparseFile(path("zeros.jpg"), QByteArray(), 600 << 20);
    MakeSparseFile(path("zeros.bmp"), QByteArray(), 600 << 20);
    EXPECT_EQ(refusal(path("zeros.jpg")), "Not a JPEG file: starts with 0x00 0x00");
    EXPECT_EQ(refusal(path("zeros.bmp")), "not a BMP file");
    // A true header over more pixels than a picture may have.
    BmpLayout layout;
    layout.width = 16000;
    layout.height = 16000;
    layout.bitCount = 24;
    layout.compression = 0;
    MakeSparseFile(path("wide.bmp"), MakeBmp(layout), 54 + int64_t{16000} * 48000);
    EXPECT_NE(refusal(path("wide.bmp")).find("BMP too large"), std::string::npos);
    EXPECT_LT(PeakKilobytes() - before, 100 * 1024);

    // A header that promises more pixel data than the file holds.
    layout.width = 1000;
    layout.height = 1000;
    WriteBytes(path("short.bmp"), MakeBmp(layout).toStdString() + std::string(100000, '\0'));
    EXPECT_NE(refusal(path("short.bmp")).find("smaller than its size says"), std::string::npos);
}

// Old archives hold names in Latin-1 or Shift-JIS: the run opens, names and
// writes them by their bytes, the destination folder's name included.
TEST(NamesThatAreNotUtf8, AreLoadedAndWrittenByTheirBytes) {
    QTemporaryDir dir;
    const RemoveTreeAtEnd remove(dir.path().toStdString());
    const std::string folder = dir.path().toStdString() + "/";
    const std::string destination = folder + "d\xe9st/";
    ASSERT_EQ(::mkdir(destination.c_str(), 0755), 0);
    const std::string sources[] = {folder + "caf\xe9.jpg", folder + "\x8e\xca\x90\x5e.BMP"};
    SaveJpeg(TestPicture(20, 10), folder + "utf8.jpg");
    SaveBmp(TestPicture(20, 10), folder + "utf8.bmp");
    ASSERT_EQ(::rename((folder + "utf8.jpg").c_str(), sources[0].c_str()), 0);
    ASSERT_EQ(::rename((folder + "utf8.bmp").c_str(), sources[1].c_str()), 0);

    TestHost host;
    host.settings.destination = destination;
    host.settings.prefix = "\x82\xa0_";  // あ in Shift-JIS
    RunState state;
    state.FileQueue = {sources[0], sources[1]};
    RunConversion(state, host);
    EXPECT_FALSE(state.RunFailed);
    for (const char* name : {"\x82\xa0_caf\xe9.jpg", "\x82\xa0_\x8e\xca\x90\x5e.jpg"})
        EXPECT_EQ(::access((destination + name).c_str(), F_OK), 0) << name;
}

}  // namespace
