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
