#include "codec/exiforientation.h"

#include <gtest/gtest.h>

#include "codec/jpegimage.h"
#include "tests/codec/codectestutil.h"
#include "tests/support/phototags.h"

namespace {

int Read(const QByteArray& body) {
    return ExifOrientation(reinterpret_cast<const unsigned char*>(body.constData()),
                           std::size_t(body.size()));
}

// Offsets into ExifBody(): the entry's format, its value, IFD0's entry count.
constexpr int kCount = 14, kFormat = 18, kValue = 24;

QByteArray Patched(QByteArray body, int offset, QByteArray bytes) {
    body.replace(offset, bytes.size(), bytes);
    return body;
}

}  // namespace

TEST(ExifOrientation, ReadsEveryValueInBothByteOrders) {
    for (const bool big : {false, true})
        for (int v = 1; v <= 8; ++v) EXPECT_EQ(Read(ExifBody(v, big)), v) << v << ' ' << big;
}

// A broken block is never fatal and never turns the picture.
TEST(ExifOrientation, DamagedOrAbsurdBlocksReadAsOne) {
    const QByteArray good = ExifBody(6);
    const struct {
        const char* what;
        QByteArray body;
    } rows[] = {
        {"empty", QByteArray()},
        {"header only", QByteArray("Exif\0\0", 6)},
        {"not Exif", QByteArray("http://ns.adobe.com/xap/1.0/\0<x:xmpmeta/>", 40)},
        {"value 0", ExifBody(0)},
        {"value 9", ExifBody(9)},
        {"value 65535", ExifBody(0xFFFF)},
        {"cut inside the entry", good.left(kValue)},
        {"cut inside the TIFF header", good.left(10)},
        {"LONG instead of SHORT", Patched(good, kFormat, QByteArray("\x04\x00", 2))},
        {"IFD0 beyond the end", Patched(good, 10, QByteArray("\xFF\xFF\xFF\x7F", 4))},
        {"bad byte order", Patched(good, 6, QByteArray("XX", 2))},
    };
    for (const auto& r : rows) EXPECT_EQ(Read(r.body), 1) << r.what;
    EXPECT_EQ(ExifOrientation(nullptr, 0), 1);
    // An entry count beyond the block's end: the entries that are there count.
    EXPECT_EQ(Read(Patched(good, kCount, QByteArray("\xFF\xFF", 2))), 6);
}

TEST(ExifOrientation, JpegObjectReadsTheTagFromTheHeader) {
    const QByteArray plain = EncodeJpeg(TBitmap(16, 8), 90);
    const QByteArray xmp("http://ns.adobe.com/xap/1.0/\0<x:xmpmeta/>", 40);
    const struct {
        const char* what;
        QByteArray bytes;
        int expected;
    } rows[] = {
        {"no tag", plain, 1},
        {"tag 6", WithSegment(plain, 0xE1, ExifBody(6)), 6},
        // Inserted last first: XMP ends up before the EXIF block.
        {"XMP before EXIF", WithSegment(WithSegment(plain, 0xE1, ExifBody(8)), 0xE1, xmp), 8},
        {"damaged tag", WithSegment(plain, 0xE1, ExifBody(6).left(20)), 1},
    };
    for (const auto& r : rows) {
        TJPEGImage jpeg;
        jpeg.LoadFromBytes(r.bytes);
        EXPECT_EQ(jpeg.Orientation(), r.expected) << r.what;
        // The decoded bitmap is the stored picture, not turned.
        EXPECT_EQ(jpeg.Bitmap().width(), 16) << r.what;
    }
}

// Only the segments used are kept: the first EXIF block, and the first copy
// of each ICC chunk, assembled only when every chunk is there.
TEST(JpegMetadata, KeepsTheFirstExifBlockAndTheFirstCopyOfEachIccChunk) {
    const QByteArray plain = EncodeJpeg(TBitmap(16, 8), 90);
    QByteArray profile(150000, '\0');  // three chunks of 65519 bytes at most
    for (int i = 0; i < profile.size(); ++i) profile[i] = char(i * 7 % 251);
    const auto chunk = [&](int sequence, int count, char flip = 0) {
        QByteArray body("ICC_PROFILE", 12);
        body.append(char(sequence)).append(char(count));
        body.append(profile.mid((sequence - 1) * 65519, 65519));
        body[20] = char(body[20] ^ flip);
        return body;
    };
    // Segments are inserted right after SOI: the last one inserted comes first.
    const auto with = [&](std::initializer_list<QByteArray> bodies) {
        QByteArray bytes = plain;
        for (auto it = std::rbegin(bodies); it != std::rend(bodies); ++it)
            bytes = WithSegment(bytes, it->startsWith("Exif") ? 0xE1 : 0xE2, *it);
        return bytes;
    };
    const struct {
        const char* what;
        QByteArray bytes;
        int orientation;
        QByteArray profile;
    } rows[] = {
        {"three chunks", with({chunk(1, 3), chunk(2, 3), chunk(3, 3)}), 1, profile},
        {"out of order", with({chunk(3, 3), chunk(1, 3), chunk(2, 3)}), 1, profile},
        {"a chunk repeated later", with({chunk(1, 3), chunk(2, 3), chunk(3, 3), chunk(2, 3, 0x55)}),
         1, profile},
        {"a chunk missing", with({chunk(1, 3), chunk(3, 3)}), 1, {}},
        {"counts disagree", with({chunk(1, 3), chunk(2, 4), chunk(3, 3)}), 1, {}},
        {"two EXIF blocks", with({ExifBody(6), chunk(1, 1), ExifBody(3)}), 6, profile.left(65519)},
    };
    for (const auto& r : rows) {
        TJPEGImage jpeg;
        jpeg.LoadFromBytes(r.bytes);
        EXPECT_EQ(jpeg.Orientation(), r.orientation) << r.what;
        EXPECT_TRUE(jpeg.IccProfile() == r.profile)
            << r.what << ": " << jpeg.IccProfile().size() << " bytes";
    }
}
