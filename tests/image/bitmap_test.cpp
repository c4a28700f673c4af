#include "image/bitmap.h"

#include <gtest/gtest.h>

TEST(Bitmap, RowsArePaddedToFourBytesAndStoredBlueGreenRed) {
    TBitmap b(5, 2);
    EXPECT_EQ(b.bytesPerLine(), 16);  // 15 bytes padded
    uchar* p = b.scanLine(1) + 4 * 3;
    p[0] = 1, p[1] = 2, p[2] = 3;
    EXPECT_EQ(b.image().pixel(4, 1), qRgb(3, 2, 1));
}

TEST(Bitmap, EightBitPixelsBecomeTheirPaletteColours) {
    TBitmap b(3, 1, TBitmap::PixelFormat::Bits8);
    b.setPalette({qRgb(255, 0, 0), qRgb(0, 128, 0), qRgb(1, 2, 3)});
    b.scanLine(0)[0] = 2;
    b.scanLine(0)[1] = 0;
    b.scanLine(0)[2] = 1;
    b.setPixelFormat(TBitmap::PixelFormat::Bits24);
    const uchar* row = b.scanLine(0);
    const uchar expected[] = {3, 2, 1, 0, 0, 255, 0, 128, 0};
    EXPECT_TRUE(std::equal(row, row + 9, expected));
}

TEST(Bitmap, ResizeKeepsFormatAndPalette) {
    TBitmap b(2, 2, TBitmap::PixelFormat::Bits8);
    b.setPalette({qRgb(9, 9, 9)});
    b.setSize(7, 3);
    EXPECT_EQ(b.pixelFormat(), TBitmap::PixelFormat::Bits8);
    EXPECT_EQ(b.palette().size(), 1);
    b.setSize(0, 3);
    EXPECT_TRUE(b.isEmpty());
}

TEST(Bitmap, TransparentPixelsAreLaidOnTheBackground) {
    struct Case {
        uchar b, g, r, a;
        QRgb background;
        uchar expected[3];
    };
    const Case cases[] = {
        {10, 20, 30, 255, qRgb(255, 255, 255), {10, 20, 30}},   // opaque keeps its bytes
        {10, 20, 30, 0, qRgb(255, 255, 255), {255, 255, 255}},  // clear is the background
        {0, 0, 0, 128, qRgb(255, 255, 255), {127, 127, 127}},   // half: rounded
        {200, 0, 100, 51, qRgb(0, 0, 255), {244, 0, 20}},       // blue background, BGR order
    };
    for (const Case& c : cases) {
        TBitmap b(1, 1, TBitmap::PixelFormat::Bits32);
        uchar* p = b.scanLine(0);
        p[0] = c.b, p[1] = c.g, p[2] = c.r, p[3] = c.a;
        b.layOnBackground(c.background);
        ASSERT_EQ(b.pixelFormat(), TBitmap::PixelFormat::Bits24);
        EXPECT_TRUE(std::equal(b.scanLine(0), b.scanLine(0) + 3, c.expected)) << int(c.a);
    }
    TBitmap white(1, 1, TBitmap::PixelFormat::Bits32);
    white.scanLine(0)[3] = 0;
    white.setPixelFormat(TBitmap::PixelFormat::Bits24);  // to fewer bits: on white
    EXPECT_EQ(white.image().pixel(0, 0), qRgb(255, 255, 255));
}
