// Encoding: frame type, quantisation tables, grayscale, 8-bit input, failures.

#include <gtest/gtest.h>
#include <jerror.h>

#include <QBuffer>
#include <cmath>

#include "codec/jpegencoder.h"
#include "codec/jpegimage.h"
#include "tests/codec/codectestutil.h"
#include "tests/support/imagecompare.h"

namespace {

// The example tables of the JPEG standard (Annex K), in natural order.
constexpr int kLuminance[64] = {16,  11,  10,  16,  24, 40, 51,  61,  12,  12,  14,  19,  26,
                                58,  60,  55,  14,  13, 16, 24,  40,  57,  69,  56,  14,  17,
                                22,  29,  51,  87,  80, 62, 18,  22,  37,  56,  68,  109, 103,
                                77,  24,  35,  55,  64, 81, 104, 113, 92,  49,  64,  78,  87,
                                103, 121, 120, 101, 72, 92, 95,  98,  112, 100, 103, 99};
constexpr int kChrominance[64] = {17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99,
                                  24, 26, 56, 99, 99, 99, 99, 99, 47, 66, 99, 99, 99, 99, 99, 99,
                                  99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
                                  99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};
// Natural-order index of each zigzag position.
constexpr int kZigzag[64] = {0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
                             12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
                             35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
                             58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

int Scaled(int entry, int quality) {
    const int percent = quality < 50 ? 5000 / quality : 200 - quality * 2;
    return std::clamp((entry * percent + 50) / 100, 1, 255);
}

TBitmap Photo() {
    return PositionCoded(64, 48, [](int x, int y) { return (x * x + y * 3) % 256; });
}

QList<int> Markers(const QByteArray& jpeg) {
    QList<int> markers;
    for (const JpegSegment& s : HeaderSegments(jpeg)) markers.append(s.marker);
    return markers;
}

}  // namespace

TEST(JpegEncode, BaselineWithScaledStandardTablesOrProgressive) {
    for (int quality : {60, 50, 100, 25}) {
        const QByteArray jpeg = EncodeJpeg(Photo(), quality);
        const QList<int> markers = Markers(jpeg);
        EXPECT_TRUE(markers.contains(0xC0)) << quality;
        EXPECT_FALSE(markers.contains(0xC2)) << quality;
        QList<QByteArray> tables;
        for (const JpegSegment& s : HeaderSegments(jpeg)) {
            for (qsizetype pos = 0; s.marker == 0xDB && pos + 65 <= s.body.size(); pos += 65) {
                ASSERT_EQ(s.body[pos] >> 4, 0) << "8-bit table";
                tables.append(s.body.mid(pos + 1, 64));
            }
        }
        ASSERT_EQ(tables.size(), 2);
        for (int k = 0; k < 64; ++k) {
            EXPECT_EQ(uchar(tables[0][k]), Scaled(kLuminance[kZigzag[k]], quality)) << k;
            EXPECT_EQ(uchar(tables[1][k]), Scaled(kChrominance[kZigzag[k]], quality)) << k;
        }
    }
    // 60 gives 80 % of the standard tables.
    EXPECT_EQ(Scaled(16, 60), 13);
    EXPECT_EQ(Scaled(99, 60), 79);

    const QByteArray progressive = EncodeJpeg(Photo(), 60, true);
    EXPECT_TRUE(Markers(progressive).contains(0xC2));
    EXPECT_FALSE(Markers(progressive).contains(0xC0));
    TJPEGImage back;
    back.LoadFromBytes(progressive);
    EXPECT_TRUE(back.ProgressiveWrite());
    // The same coefficients, only stored in several scans.
    TJPEGImage baseline;
    baseline.LoadFromBytes(EncodeJpeg(Photo(), 60));
    EXPECT_TRUE(SameBitmap(back.Bitmap(), baseline.Bitmap()));
}

TEST(JpegEncode, EightBitBitmapIsEncodedFromA24BitCopy) {
    TBitmap indexed(16, 16, TBitmap::PixelFormat::Bits8);
    indexed.setPalette({qRgb(255, 0, 0), qRgb(0, 0, 255)});
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) indexed.scanLine(y)[x] = x < 8 ? 0 : 1;
    TJPEGImage jpeg;
    jpeg.Assign(indexed);
    jpeg.SetEncodeQuality(100);
    TJPEGImage back;
    back.SetOutputDepth(JpegOutputDepth::Depth24);
    back.LoadFromBytes(jpeg.SaveToBytes());
    EXPECT_EQ(jpeg.Bitmap().pixelFormat(), TBitmap::PixelFormat::Bits8);  // unchanged
    const uchar* left = back.Bitmap().scanLine(4) + 2 * 3;
    EXPECT_GT(left[2], 200);  // red
    EXPECT_LT(left[0], 60);
}

TEST(JpegEncode, GrayOutputWritesOneComponent) {
    TJPEGImage jpeg;
    jpeg.SetGrayOutput(true);
    jpeg.Assign(Photo());
    const QByteArray bytes = jpeg.SaveToBytes();
    EXPECT_TRUE(jpeg.Grayscale());
    for (const JpegSegment& s : HeaderSegments(bytes)) {
        if (s.marker == 0xC0) {
            EXPECT_EQ(int(s.body[5]), 1);
        }
    }
    TJPEGImage back;
    back.LoadFromBytes(bytes);
    EXPECT_TRUE(back.Grayscale());
}

namespace {

// Accepts a few bytes, then refuses more.
class ShortDevice : public QIODevice {
public:
    explicit ShortDevice(qint64 room) : room_(room) { open(QIODevice::WriteOnly); }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 size) override {
        const qint64 n = std::min(size, room_);
        room_ -= n;
        return n;
    }

private:
    qint64 room_;
};

}  // namespace

TEST(JpegEncode, ShortWriteRaisesFileWriteError) {
    for (qint64 room : {0, 100, 4096, 5000}) {
        ShortDevice device(room);
        JpegEncoder encoder(device, nullptr);
        const TBitmap picture =
            PositionCoded(256, 256, [](int x, int y) { return (x * 131 + y * 71 + x * y) % 256; });
        encoder.Setup(picture, 100, false, false);
        try {
            encoder.Encode(picture);
            FAIL() << room;
        } catch (const EJPEG& e) {
            EXPECT_EQ(e.Code(), JERR_FILE_WRITE) << room;
        }
    }
}

TEST(JpegEncode, SaveToAFullStreamRaisesWriteError) {
    TJPEGImage jpeg;
    jpeg.Assign(Photo());
    ShortDevice device(10);
    EXPECT_THROW(jpeg.SaveToStream(device), EWriteError);
}
