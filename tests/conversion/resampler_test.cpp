#include "conversion/resampler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "image/bitmap.h"
#include "tests/conversion/conversiontesthost.h"
#include "tests/support/imagecompare.h"

namespace {

// The pixel-by-pixel reference: AverageCell walked over the destination as the
// original loop did, cell corners accumulated by repeated addition.
TBitmap ReferenceThumbnail(const TBitmap& source, int size) {
    const ThumbnailGeometry g = ComputeThumbnailGeometry(source.width(), source.height(), size);
    TBitmap dest(g.width, g.height);
    double top = g.offY;
    for (int y = 0; y < g.height; ++y) {
        double left = g.offX;
        for (int x = 0; x < g.width; ++x) {
            const uint32_t c = AverageCell(source, g.step, top, left);
            uchar* p = dest.scanLine(y) + x * 3;
            p[0] = uchar(c >> 16);
            p[1] = uchar(c >> 8);
            p[2] = uchar(c);
            left = static_cast<double>(static_cast<long double>(g.step) + left);
        }
        top = static_cast<double>(static_cast<long double>(g.step) + top);
    }
    return dest;
}

TBitmap Scale(const TBitmap& source, int size) {
    TBitmap dest;
    ScaleToThumbnail(dest, source, size);
    return dest;
}

struct GeometryRow {
    int ws, hs, size;
    int wd, hd;
    double step, offX, offY;
    int n;
    double sub;
};

// The offsets are the bit patterns that extended-precision evaluation gives;
// plain double arithmetic differs in the last bits for several of them.
const GeometryRow kGeometry[] = {
    {1024, 768, 160, 160, 120, 6.4, 0, 0, 10, 0.64},
    {1000, 333, 32, 32, 11, 31.25, 0, -0x1.57ffffffffff6p+2, 32, 0.9765625},
    {333, 1000, 32, 11, 32, 31.25, -0x1.57ffffffffff6p+2, 0, 32, 0.9765625},
    {3000, 2000, 100, 100, 67, 30.0, 0, -0x1.400000000003fp+2, 30, 1.0},
    {640, 480, 32, 32, 24, 20.0, 0, 0, 20, 1.0},
    {100, 101, 160, 158, 160, 0.63125, 0x1.0ccccccccccbcp-3, 0, 10, 0.063125},
    {16, 16, 32, 32, 32, 0.5, 0, 0, 10, 0.05},
    {1000, 1, 32, 32, 1, 31.25, 0, -15.125, 32, 0.9765625},
    {92, 105, 34, 30, 34, 0x1.8b4b4b4b4b4b5p+1, -0x1.4b4b4b4b4b4b9p-2, 0, 10, 0.3088235294117647},
};

TEST(ResamplerGeometry, WorkedExamples) {
    for (const GeometryRow& r : kGeometry) {
        SCOPED_TRACE(testing::Message() << r.ws << "x" << r.hs << " at " << r.size);
        const ThumbnailGeometry g = ComputeThumbnailGeometry(r.ws, r.hs, r.size);
        EXPECT_EQ(g.width, r.wd);
        EXPECT_EQ(g.height, r.hd);
        EXPECT_EQ(g.step, r.step);
        EXPECT_EQ(g.offX, r.offX);
        EXPECT_EQ(g.offY, r.offY);
        const int n = SamplesPerAxis(g.step);
        EXPECT_EQ(n, r.n);
        EXPECT_DOUBLE_EQ(g.step / n, r.sub);
    }
}

TEST(ResamplerGeometry, ShortSideRoundsHalfUpAndNeverVanishes) {
    EXPECT_EQ(ComputeThumbnailGeometry(10000, 1, 32).height, 1);  // 0.0032
    EXPECT_EQ(ComputeThumbnailGeometry(1, 10000, 160).width, 1);
    EXPECT_EQ(ComputeThumbnailGeometry(777, 777, 77).height, 77);
    EXPECT_EQ(ComputeThumbnailGeometry(777, 777, 77).offX, 0);
}

TEST(ResamplerSamples, TruncatesTheExactSum) {
    const struct {
        double step;
        int n;
    } rows[] = {{0.5, 10},  {9.99, 10},  {10.0, 10},  {10.5, 11},         {10.01, 10},
                {20.0, 20}, {31.25, 32}, {32.01, 32}, {1001.0 / 100, 10}, {3201.0 / 100, 32}};
    for (const auto& r : rows) EXPECT_EQ(SamplesPerAxis(r.step), r.n) << "step " << r.step;
}

TEST(ResamplerPixelDone, OncePerPixelInRowOrder) {
    TBitmap source = PositionCoded(12, 8, [](int x, int y) { return x + y; });
    TBitmap dest;
    std::vector<std::pair<int, int>> done;
    ScaleToThumbnail(dest, source, 6, [&](int x, int y, int width, int height) {
        EXPECT_EQ(width, 6);
        EXPECT_EQ(height, 4);
        done.emplace_back(y, x);
    });
    ASSERT_EQ(done.size(), size_t(6 * 4));
    EXPECT_TRUE(std::is_sorted(done.begin(), done.end()));
    EXPECT_EQ(done.back(), std::make_pair(3, 5));
}

TEST(ResamplerPixels, EightByFourAveragesEachBlock) {
    TBitmap source = PositionCoded(8, 4, [](int x, int y) { return 7 * x + 50 * y; });
    TBitmap expected = PositionCoded(4, 2, [](int x, int y) {
        static const int values[2][4] = {{28, 42, 56, 70}, {128, 142, 156, 170}};
        return values[y][x];
    });
    EXPECT_TRUE(SameBitmap(Scale(source, 4), expected));
}

TEST(ResamplerPixels, EnlargementMakesExactBlocks) {
    TBitmap source = PositionCoded(16, 16, [](int x, int y) { return 7 * x + 9 * y; });
    TBitmap expected =
        PositionCoded(32, 32, [](int x, int y) { return 7 * (x / 2) + 9 * (y / 2); });
    EXPECT_TRUE(SameBitmap(Scale(source, 32), expected));
}

TEST(ResamplerPixels, SinglePixelAndThinSourcesRepeatTheirEdges) {
    EXPECT_TRUE(
        SameBitmap(Scale(PlainPicture(1, 1, 10, 20, 30), 32), PlainPicture(32, 32, 10, 20, 30)));

    TBitmap line = PositionCoded(1000, 1, [](int x, int) { return x / 4; });
    TBitmap thin = Scale(line, 32);
    ASSERT_EQ(thin.width(), 32);
    ASSERT_EQ(thin.height(), 1);
    EXPECT_TRUE(SameBitmap(thin, ReferenceThumbnail(line, 32)));
}

TEST(ResamplerPixels, UniformColourStaysExact) {
    EXPECT_TRUE(SameBitmap(Scale(PlainPicture(1234, 567, 255, 1, 128), 160),
                           PlainPicture(160, 74, 255, 1, 128)));
}

TEST(ResamplerPixels, ExtendedPrecisionDecidesTheSampleColumn) {
    // Cell 1 of this placement samples column 3 where plain double arithmetic
    // would sample column 4: 144 rather than 148.
    TBitmap source = PositionCoded(92, 105, [](int x, int) { return std::min(255, 40 * x); });
    TBitmap thumb = Scale(source, 34);
    ASSERT_EQ(thumb.width(), 30);
    EXPECT_EQ(thumb.scanLine(0)[3], 144);
    EXPECT_EQ(thumb.scanLine(20)[3], 144);
}

TEST(ResamplerPixels, SeparatedSumsEqualThePerCellReference) {
    const struct {
        int ws, hs, size;
    } cases[] = {{92, 105, 34},
                 {1000, 333, 32},
                 {333, 1000, 32},
                 {100, 101, 160},
                 {3000, 2000, 100},
                 {7, 3, 160},
                 {1001, 17, 100},
                 {2900, 40, 1},
                 {640, 480, 32},
                 // rows sampled hundreds of times each
                 {6000, 2, 8},
                 {5000, 1, 4}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.ws << "x" << c.hs << " at " << c.size);
        TBitmap source(c.ws, c.hs);
        for (int y = 0; y < c.hs; ++y)
            for (int x = 0; x < c.ws * 3; ++x)
                source.scanLine(y)[x] = uchar((x * 131 + y * 71 + (x * y) % 97) & 0xff);
        EXPECT_TRUE(SameBitmap(Scale(source, c.size), ReferenceThumbnail(source, c.size)));
    }
}

TEST(ResamplerPixels, EightBitSourceIsReadThroughItsPalette) {
    TBitmap source(4, 4, TBitmap::PixelFormat::Bits8);
    source.setPalette({qRgb(30, 20, 10)});
    for (int y = 0; y < 4; ++y) std::fill_n(source.scanLine(y), 4, 0);
    TBitmap thumb = Scale(source, 2);
    const uchar* p = thumb.scanLine(1) + 3;
    EXPECT_EQ(p[0], 10);
    EXPECT_EQ(p[1], 20);
    EXPECT_EQ(p[2], 30);
}

TEST(ResamplerEmpty, SizesTheDestinationAndTouchesNothingElse) {
    TBitmap empty;
    TBitmap dest;
    int calls = 0;
    ScaleToThumbnail(dest, empty, 48, [&](int, int, int, int) { ++calls; });
    EXPECT_EQ(dest.width(), 48);
    EXPECT_EQ(dest.height(), 48);
    EXPECT_EQ(calls, 0);
}

}  // namespace

namespace {

struct Bgra {
    int b, g, r, a;
};

// Two pixels side by side, scaled to one.
TBitmap Pair(Bgra left, Bgra right) {
    TBitmap source(2, 1, TBitmap::PixelFormat::Bits32);
    uchar* p = source.scanLine(0);
    for (const Bgra& c : {left, right}) {
        *p++ = uchar(c.b);
        *p++ = uchar(c.g);
        *p++ = uchar(c.r);
        *p++ = uchar(c.a);
    }
    return source;
}

}  // namespace

// Half of the cell's 100 samples fall on each pixel. Kept, colours weigh by
// alpha (sum of colour x alpha / sum of alpha) and alpha is the mean; laid on
// a background, each pixel is laid first (rounded) and then averaged.
TEST(ResamplerAlpha, PremultipliedAveragingOrLaidOnTheBackground) {
    const Bgra halfRed{0, 0, 255, 128}, blue{255, 0, 0, 255}, clearGreen{0, 255, 0, 0},
        red{0, 0, 255, 255};
    const struct {
        const char* what;
        Bgra left, right;
        bool keep;
        uint32_t background;
        Bgra expected;  // alpha checked only when kept
    } rows[] = {
        // red 50*255*128 / 19150 = 85.2, blue 50*255*255 / 19150 = 169.8, alpha 191.5
        {"half red by blue, kept", halfRed, blue, true, 0xffffff, {169, 0, 85, 191}},
        // a clear pixel gives no colour, only its transparency
        {"clear green by red, kept", clearGreen, red, true, 0xffffff, {0, 0, 255, 127}},
        {"all clear, kept", clearGreen, clearGreen, true, 0xffffff, {0, 0, 0, 0}},
        {"opaque, kept", blue, red, true, 0xffffff, {127, 0, 127, 255}},
        // half red on white is 127,127,255; with blue: 191, 63.5, 127.5
        {"half red by blue, on white", halfRed, blue, false, 0xffffff, {191, 63, 127, 255}},
        // half red on black is 0,0,128
        {"half red by blue, on black", halfRed, blue, false, 0x000000, {127, 0, 64, 255}},
        {"clear green by red, on grey", clearGreen, red, false, 0x808080, {64, 64, 191, 255}},
    };
    for (const auto& row : rows) {
        TBitmap dest;
        ScaleToThumbnail(dest, Pair(row.left, row.right), 1, nullptr, {row.keep, row.background});
        ASSERT_EQ(dest.width(), 1) << row.what;
        ASSERT_EQ(dest.height(), 1) << row.what;
        ASSERT_EQ(dest.pixelFormat(),
                  row.keep ? TBitmap::PixelFormat::Bits32 : TBitmap::PixelFormat::Bits24)
            << row.what;
        const uchar* p = dest.scanLine(0);
        const Bgra got{p[0], p[1], p[2], row.keep ? p[3] : 255};
        EXPECT_EQ(
            std::vector<int>({got.b, got.g, got.r, got.a}),
            std::vector<int>({row.expected.b, row.expected.g, row.expected.r, row.expected.a}))
            << row.what;
    }
}

// An opaque 32-bit picture gives the 24-bit path's colours, kept or not, and
// a 24-bit source never gains alpha.
TEST(ResamplerAlpha, OpaquePicturesGiveTheOpaquePathsBytes) {
    const struct {
        int width, height;
        std::vector<int> sizes;
    } pictures[] = {{53, 31, {7, 20, 53, 120}}, {6000, 2, {8}}};  // the second's rows repeat
    for (const auto& picture : pictures) {
        const TBitmap opaque = PositionCoded(picture.width, picture.height,
                                             [](int x, int y) { return (7 * x + 5 * y) % 256; });
        TBitmap wide = opaque;
        wide.setPixelFormat(TBitmap::PixelFormat::Bits32);
        for (const int size : picture.sizes) {
            const TBitmap expected = Scale(opaque, size);
            TBitmap laid, kept, plain;
            ScaleToThumbnail(laid, wide, size, nullptr, {false, 0x123456});
            EXPECT_TRUE(SameBitmap(laid, expected)) << size;
            ScaleToThumbnail(plain, opaque, size, nullptr, {true, 0xffffff});
            EXPECT_TRUE(SameBitmap(plain, expected)) << size;
            ScaleToThumbnail(kept, wide, size, nullptr, {true, 0xffffff});
            ASSERT_EQ(kept.pixelFormat(), TBitmap::PixelFormat::Bits32);
            for (int y = 0; y < kept.height(); ++y)
                for (int x = 0; x < kept.width(); ++x)
                    ASSERT_EQ(kept.scanLine(y)[x * 4 + 3], 255) << size << ": " << x << "," << y;
            kept.setPixelFormat(TBitmap::PixelFormat::Bits24);  // opaque: the bytes as they are
            EXPECT_TRUE(SameBitmap(kept, expected)) << size;
        }
    }
}
