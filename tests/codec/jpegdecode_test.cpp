// Decoding: colour layout, gray files, scales, quantisation, scan-by-scan,
// damaged files, the CMYK mend and the public samples.

#include <gtest/gtest.h>

#include <QSet>

#include "codec/jpegimage.h"
#include "tests/codec/codectestutil.h"
#include "tests/support/imagecompare.h"

namespace {

TBitmap Decode(const QByteArray& bytes, JpegOutputDepth depth = JpegOutputDepth::Depth24,
               JpegDecodeScale scale = JpegDecodeScale::ScaleFull) {
    TJPEGImage jpeg;
    jpeg.SetOutputDepth(depth);
    jpeg.SetDecodeScale(scale);
    jpeg.LoadFromBytes(bytes);
    return jpeg.Bitmap();
}

bool GrayPalette(const QList<QRgb>& palette) {
    for (QRgb c : palette)
        if (qRed(c) != qGreen(c) || qGreen(c) != qBlue(c)) return false;
    return true;
}

}  // namespace

TEST(JpegDecode, RedStaysRedAndBytesAreBlueGreenRed) {
    // Blocks of 16 so that chroma subsampling does not mix colours.
    const struct {
        uchar b, g, r;
    } colours[] = {{0, 0, 255}, {0, 255, 0}, {255, 0, 0}, {40, 120, 200}};
    TBitmap picture(64, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 64; ++x) {
            uchar* p = picture.scanLine(y) + x * 3;
            p[0] = colours[x / 16].b;
            p[1] = colours[x / 16].g;
            p[2] = colours[x / 16].r;
        }
    const TBitmap decoded = Decode(EncodeJpeg(picture, 100));
    ASSERT_EQ(decoded.pixelFormat(), TBitmap::PixelFormat::Bits24);
    // Inside each block (chroma is interpolated across block edges).
    for (int block = 0; block < 4; ++block) {
        const QRect inside(block * 16 + 4, 4, 8, 8);
        EXPECT_LE(MaxDifference(TBitmap(decoded.image().copy(inside)),
                                TBitmap(picture.image().copy(inside))),
                  4)
            << block;
    }
    const uchar* red = decoded.scanLine(8) + 8 * 3;
    EXPECT_LT(red[0], 8);
    EXPECT_LT(red[1], 8);
    EXPECT_GT(red[2], 247);
}

TEST(JpegDecode, ColourFileMatchesTheLibraryReference) {
    for (const char* name : {"testorig.jpg", "testimgint.jpg", "testimgari.jpg", "testimgp.jpg",
                             "testprog.jpg", "derived/testorig_rst.jpg"}) {
        QString ref = QString::fromLatin1(name).replace("derived/", "").replace(".jpg", ".ppm");
        EXPECT_TRUE(
            SameBitmap(Decode(ReadFileBytes(JpegSample(name))), ReadPnm(JpegSample("ref/" + ref))))
            << name;
    }
}

TEST(JpegDecode, GrayFileGives8BitsWithGrayPaletteEvenAtDepth24) {
    const TBitmap decoded = Decode(ReadFileBytes(JpegSample("testimggray.jpg")));
    ASSERT_EQ(decoded.pixelFormat(), TBitmap::PixelFormat::Bits8);
    const QList<QRgb> palette = decoded.palette();
    EXPECT_LE(palette.size(), 236);
    EXPECT_GT(palette.size(), 200);
    EXPECT_TRUE(GrayPalette(palette));
    TBitmap wide = decoded;
    wide.setPixelFormat(TBitmap::PixelFormat::Bits24);
    EXPECT_LE(MaxDifference(wide, ReadPnm(JpegSample("ref/testimggray.pgm"))), 3);
}

TEST(JpegDecode, GrayOutputOfAColourFile) {
    TJPEGImage jpeg;
    jpeg.SetGrayOutput(true);
    jpeg.LoadFromBytes(ReadFileBytes(JpegSample("testorig.jpg")));
    ASSERT_EQ(jpeg.Bitmap().pixelFormat(), TBitmap::PixelFormat::Bits8);
    EXPECT_TRUE(GrayPalette(jpeg.Bitmap().palette()));
}

TEST(JpegDecode, Depth8QuantisesTo236ColoursInBothModes) {
    const TBitmap reference = ReadPnm(JpegSample("ref/testorig.ppm"));
    for (auto mode : {JpegDecodeMode::QualityFirst, JpegDecodeMode::SpeedFirst}) {
        TJPEGImage jpeg;
        jpeg.SetOutputDepth(JpegOutputDepth::Depth8);
        jpeg.SetDecodeMode(mode);
        jpeg.LoadFromBytes(ReadFileBytes(JpegSample("testorig.jpg")));
        TBitmap decoded = jpeg.Bitmap();
        ASSERT_EQ(decoded.pixelFormat(), TBitmap::PixelFormat::Bits8);
        EXPECT_LE(decoded.palette().size(), 236);
        EXPECT_GT(decoded.palette().size(), 16);
        EXPECT_FALSE(GrayPalette(decoded.palette()));
        // Red stays red through the palette: compare row averages with the reference.
        decoded.setPixelFormat(TBitmap::PixelFormat::Bits24);
        for (int c = 0; c < 3; ++c) {
            long sumDecoded = 0, sumReference = 0;
            for (int y = 0; y < decoded.height(); ++y)
                for (int x = 0; x < decoded.width(); ++x) {
                    sumDecoded += decoded.scanLine(y)[x * 3 + c];
                    sumReference += reference.scanLine(y)[x * 3 + c];
                }
            const long pixels = long(decoded.width()) * decoded.height();
            EXPECT_NEAR(double(sumDecoded) / pixels, double(sumReference) / pixels, 3.0) << c;
        }
    }
}

// Sizes are rounded up. Large frames are made by rewriting a small file's
// frame header: the library fills the missing data.
TEST(JpegDecode, ScaledSizesRoundUp) {
    const QByteArray small =
        EncodeJpeg(PositionCoded(16, 16, [](int x, int) { return x * 8; }), 75);
    const struct {
        int width, height;
        JpegDecodeScale scale;
        int expectWidth, expectHeight;
    } cases[] = {
        {4001, 3001, JpegDecodeScale::ScaleQuarter, 1001, 751},
        {8000, 6000, JpegDecodeScale::ScaleEighth, 1000, 750},
        {227, 149, JpegDecodeScale::ScaleHalf, 114, 75},
        {227, 149, JpegDecodeScale::ScaleEighth, 29, 19},
        {1, 1, JpegDecodeScale::ScaleEighth, 1, 1},
        {227, 149, JpegDecodeScale::ScaleFull, 227, 149},
    };
    for (const auto& c : cases) {
        TJPEGImage jpeg;
        jpeg.SetOutputDepth(JpegOutputDepth::Depth24);
        jpeg.SetDecodeScale(c.scale);
        jpeg.LoadFromBytes(WithFrameSize(small, c.width, c.height));
        EXPECT_EQ(jpeg.Width(), c.expectWidth) << c.width;  // the size query, no decode
        EXPECT_EQ(jpeg.Height(), c.expectHeight) << c.width;
        const TBitmap& decoded = jpeg.Bitmap();
        EXPECT_EQ(decoded.width(), c.expectWidth) << c.width;
        EXPECT_EQ(decoded.height(), c.expectHeight) << c.width;
    }
}

TEST(JpegDecode, ScaleChangeAfterTheSizeQueryGivesTheNewSize) {
    TJPEGImage jpeg;
    jpeg.LoadFromBytes(ReadFileBytes(JpegSample("testorig.jpg")));
    jpeg.SetDecodeScale(JpegDecodeScale::ScaleHalf);
    EXPECT_EQ(jpeg.Width(), 114);
    jpeg.SetDecodeScale(JpegDecodeScale::ScaleQuarter);
    EXPECT_EQ(jpeg.Width(), 57);
    jpeg.LoadFromBytes(ReadFileBytes(JpegSample("testimggray.jpg")));
    EXPECT_EQ(jpeg.Width(), 57);
    jpeg.LoadFromBytes(EncodeJpeg(TBitmap(400, 100), 50));
    EXPECT_EQ(jpeg.Width(), 100);
    EXPECT_EQ(jpeg.Height(), 25);
}

TEST(JpegDecode, LoadingSetsProgressiveWriteFromTheFile) {
    TJPEGImage jpeg;
    jpeg.LoadFromBytes(ReadFileBytes(JpegSample("testprog.jpg")));
    EXPECT_TRUE(jpeg.ProgressiveWrite());
    jpeg.LoadFromBytes(ReadFileBytes(JpegSample("testorig.jpg")));
    EXPECT_FALSE(jpeg.ProgressiveWrite());
}

TEST(JpegDecode, ScanByScanEndsWithTheRequestedSettings) {
    const QByteArray progressive = ReadFileBytes(JpegSample("testprog.jpg"));
    TJPEGImage jpeg;
    jpeg.SetOutputDepth(JpegOutputDepth::Depth24);
    jpeg.SetScanByScanDisplay(true);
    jpeg.LoadFromBytes(progressive);
    EXPECT_TRUE(SameBitmap(jpeg.Bitmap(), ReadPnm(JpegSample("ref/testprog.ppm"))));

    // Quantised: the last pass rebuilds the colour map, and the palette follows.
    TJPEGImage plain, byScan;
    for (TJPEGImage* j : {&plain, &byScan}) {
        j->SetOutputDepth(JpegOutputDepth::Depth8);
        j->LoadFromBytes(progressive);
    }
    byScan.SetScanByScanDisplay(true);
    TBitmap a = plain.Bitmap(), b = byScan.Bitmap();
    EXPECT_EQ(a.palette(), b.palette());
    a.setPixelFormat(TBitmap::PixelFormat::Bits24);
    b.setPixelFormat(TBitmap::PixelFormat::Bits24);
    EXPECT_TRUE(SameBitmap(b, a));
}

TEST(JpegDecode, FileCutShortDecodesWithoutError) {
    const QByteArray whole = ReadFileBytes(JpegSample("testorig.jpg"));
    const QByteArray cuts[] = {
        whole.left(ScanDataOffset(whole)),  // right after the header
        whole.left(ScanDataOffset(whole) + 100),
        ReadFileBytes(JpegSample("derived/bad_trunc_half.jpg")),
    };
    for (const QByteArray& cut : cuts) {
        TBitmap decoded;
        EXPECT_NO_THROW(decoded = Decode(cut)) << cut.size();
        EXPECT_EQ(decoded.width(), 227);
        EXPECT_EQ(decoded.height(), 149);
    }
}

TEST(JpegDecode, CmykFileDecodesCloseToTheReference) {
    const QByteArray cmyk = ReadFileBytes(JpegSample("derived/testorig_cmyk.jpg"));
    const TBitmap decoded = Decode(cmyk);
    ASSERT_EQ(decoded.pixelFormat(), TBitmap::PixelFormat::Bits24);
    EXPECT_LE(MaxDifference(decoded, ReadPnm(JpegSample("ref/testorig_cmyk.ppm"))), 2);
    // Against the original picture, as any other decode of it would be.
    EXPECT_LE(MaxDifference(decoded, ReadPnm(JpegSample("testorig.ppm"))), 16);

    const TBitmap half = Decode(cmyk, JpegOutputDepth::Depth24, JpegDecodeScale::ScaleHalf);
    EXPECT_EQ(half.width(), 114);
    const TBitmap eight = Decode(cmyk, JpegOutputDepth::Depth8);
    EXPECT_EQ(eight.pixelFormat(), TBitmap::PixelFormat::Bits8);
}

// Every sample either decodes or raises EJPEG, at every scale, as its README says.
TEST(JpegDecode, PublicSamples) {
    enum Expect { Load, Reject, Either };
    const struct {
        const char* name;
        Expect expect;
    } samples[] = {
        {"testorig.jpg", Load},
        {"testimgint.jpg", Load},
        {"testimgari.jpg", Load},
        {"testimgp.jpg", Load},
        {"testprog.jpg", Load},
        {"testimggray.jpg", Load},
        {"testorig12.jpg", Reject},
        {"monkey12.jpg", Reject},
        {"testorig.ppm", Reject},
        {"derived/testorig_rst.jpg", Load},
        {"derived/testorig_cmyk.jpg", Load},
        {"derived/bad_empty.jpg", Reject},
        {"derived/bad_soi_eoi_only.jpg", Reject},
        {"derived/bad_trunc_header.jpg", Reject},
        {"derived/bad_zero_height.jpg", Reject},
        {"derived/bad_sampling.jpg", Reject},
        {"derived/bad_trunc_half.jpg", Either},
        {"derived/bad_corrupt_scan.jpg", Either},
    };
    for (const auto& sample : samples) {
        for (int scale = 0; scale < 4; ++scale) {
            for (auto depth : {JpegOutputDepth::Depth24, JpegOutputDepth::Depth8}) {
                TJPEGImage jpeg;
                jpeg.SetOutputDepth(depth);
                jpeg.SetDecodeScale(JpegDecodeScale(scale));
                bool loaded = false;
                try {
                    jpeg.LoadFromFile(JpegSample(sample.name));
                    loaded = !jpeg.Bitmap().isEmpty();
                } catch (const EJPEG&) {
                }
                if (sample.expect != Either) {
                    EXPECT_EQ(loaded, sample.expect == Load) << sample.name << " scale " << scale;
                }
            }
        }
    }
}
