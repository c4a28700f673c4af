// The object's states, settings, sharing, loading and saving.

#include "codec/jpegimage.h"

#include <gtest/gtest.h>
#include <jerror.h>

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <functional>

#include "tests/codec/codectestutil.h"
#include "tests/support/imagecompare.h"

namespace {

TBitmap Gradient(int width, int height) {
    return PositionCoded(width, height, [](int x, int y) { return (x * 7 + y * 5) % 256; });
}

int CountStarts(TJPEGImage& jpeg, int& starts) {
    jpeg.SetOnProgress(
        [&starts](TJPEGImage&, TProgressStage stage, int, bool, const QRect&, const QString&) {
            if (stage == TProgressStage::Starting) ++starts;
        });
    return starts;
}

}  // namespace

TEST(JpegImage, CopiesShareStoredDataUntilOneLoads) {
    TJPEGImage a, b;
    a.LoadFromBytes(ReadFileBytes(JpegSample("testorig.jpg")));
    a.Bitmap();
    b.SetDecodeMode(JpegDecodeMode::SpeedFirst);
    b.Assign(a);
    EXPECT_EQ(&a.Data(), &b.Data());
    EXPECT_EQ(a.DataHolders(), 2);
    EXPECT_TRUE(a.Equals(b));
    EXPECT_EQ(b.DecodeMode(), JpegDecodeMode::SpeedFirst);  // settings are not copied
    EXPECT_TRUE(SameBitmap(b.Bitmap(), a.Bitmap()));        // the decoded bitmap is

    a.LoadFromBytes(ReadFileBytes(JpegSample("testprog.jpg")));
    EXPECT_EQ(b.DataHolders(), 1);
    EXPECT_EQ(*b.Data().Bytes, ReadFileBytes(JpegSample("testorig.jpg")));
    EXPECT_FALSE(a.Equals(b));
}

TEST(JpegImage, AssignFromObjectWithoutBitmapDropsOurs) {
    TJPEGImage a, b;
    a.LoadFromBytes(EncodeJpeg(Gradient(40, 30), 90));
    b.LoadFromBytes(ReadFileBytes(JpegSample("testorig.jpg")));
    b.Bitmap();
    b.Assign(a);
    EXPECT_EQ(b.Bitmap().width(), 40);
}

TEST(JpegImage, EqualsWithoutBytesMeansSameData) {
    TJPEGImage a, b;
    a.Assign(Gradient(8, 8));
    b.Assign(Gradient(8, 8));
    EXPECT_FALSE(a.Equals(b));
    b.Assign(a);
    EXPECT_TRUE(a.Equals(b));
}

TEST(JpegImage, LoadingReadsOnlyTheHeader) {
    TJPEGImage jpeg;
    int starts = 0;
    CountStarts(jpeg, starts);
    jpeg.LoadFromBytes(ReadFileBytes(JpegSample("testorig.jpg")));
    EXPECT_EQ(jpeg.Width(), 227);
    EXPECT_EQ(jpeg.Height(), 149);
    EXPECT_FALSE(jpeg.Grayscale());
    EXPECT_EQ(starts, 0);
    jpeg.Bitmap();
    jpeg.Bitmap();
    EXPECT_EQ(starts, 1);  // decoded once, then kept
}

// Each decode setting, changed after a decode, makes the next request decode
// again; setting the same value again does nothing.
TEST(JpegImage, DecodeSettingsDropTheBitmap) {
    const std::vector<std::pair<const char*, std::function<void(TJPEGImage&)>>> setters = {
        {"DecodeMode", [](TJPEGImage& j) { j.SetDecodeMode(JpegDecodeMode::SpeedFirst); }},
        {"BlockSmoothing", [](TJPEGImage& j) { j.SetBlockSmoothing(false); }},
        {"OutputDepth", [](TJPEGImage& j) { j.SetOutputDepth(JpegOutputDepth::Depth8); }},
        {"DecodeScale", [](TJPEGImage& j) { j.SetDecodeScale(JpegDecodeScale::ScaleHalf); }},
        {"GrayOutput", [](TJPEGImage& j) { j.SetGrayOutput(true); }},
        {"ScanByScanDisplay", [](TJPEGImage& j) { j.SetScanByScanDisplay(true); }},
    };
    for (const auto& [name, set] : setters) {
        TJPEGImage jpeg;
        jpeg.SetOutputDepth(JpegOutputDepth::Depth24);
        int starts = 0, changes = 0;
        CountStarts(jpeg, starts);
        jpeg.LoadFromBytes(ReadFileBytes(JpegSample("testprog.jpg")));
        jpeg.Bitmap();
        jpeg.SetOnChange([&changes](TJPEGImage&) { ++changes; });
        set(jpeg);
        EXPECT_EQ(changes, 1) << name;
        set(jpeg);
        EXPECT_EQ(changes, 1) << name;
        jpeg.Bitmap();
        EXPECT_EQ(starts, 2) << name;
    }
}

TEST(JpegImage, SpeedFirstUsesTheFastTransform) {
    TJPEGImage jpeg;
    jpeg.SetOutputDepth(JpegOutputDepth::Depth24);
    jpeg.LoadFromBytes(ReadFileBytes(JpegSample("testorig.jpg")));
    const TBitmap reference = ReadPnm(JpegSample("ref/testorig.ppm"));
    EXPECT_TRUE(SameBitmap(jpeg.Bitmap(), reference));
    jpeg.SetDecodeMode(JpegDecodeMode::SpeedFirst);
    EXPECT_FALSE(SameBitmap(jpeg.Bitmap(), reference));
    EXPECT_LE(MaxDifference(jpeg.Bitmap(), reference), 16);
}

TEST(JpegImage, EncodeQualityChangesNothingUntilNewBytes) {
    const QByteArray original = ReadFileBytes(JpegSample("testorig.jpg"));
    TJPEGImage jpeg;
    jpeg.LoadFromBytes(original);
    jpeg.SetEncodeQuality(20);
    jpeg.SetProgressiveWrite(true);
    EXPECT_EQ(jpeg.SaveToBytes(), original);

    TJPEGImage other;
    other.Assign(jpeg.Bitmap());
    other.SetEncodeQuality(20);
    const QByteArray low = other.SaveToBytes();
    other.SetEncodeQuality(95);
    EXPECT_EQ(other.SaveToBytes(), low);  // the bytes exist now
    EXPECT_LT(low.size(), original.size());
}

// Changing a decode setting on an object that holds only a bitmap discards it:
// the saver sets them before it copies the bitmap in.
TEST(JpegImage, DecodeSettingOnBitmapOnlyObjectDiscardsTheBitmap) {
    const std::vector<std::function<void(TJPEGImage&)>> setters = {
        [](TJPEGImage& j) { j.SetDecodeMode(JpegDecodeMode::SpeedFirst); },
        [](TJPEGImage& j) { j.SetOutputDepth(JpegOutputDepth::Depth8); },
        [](TJPEGImage& j) { j.SetBlockSmoothing(false); },
        [](TJPEGImage& j) { j.SetDecodeScale(JpegDecodeScale::ScaleEighth); },
    };
    for (std::size_t i = 0; i < setters.size(); ++i) {
        TJPEGImage jpeg;
        jpeg.SetOutputDepth(JpegOutputDepth::Depth24);
        jpeg.Assign(Gradient(32, 32));
        EXPECT_FALSE(jpeg.Empty());
        setters[i](jpeg);
        EXPECT_TRUE(jpeg.Empty()) << i;
        EXPECT_TRUE(jpeg.SaveToBytes().isEmpty()) << i;
    }
}

TEST(JpegImage, EmptyBitmapSavesAnEmptyFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("empty.jpg");
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("previous content");
    old.close();

    TJPEGImage jpeg;
    jpeg.Assign(TBitmap());
    EXPECT_TRUE(jpeg.Empty());
    jpeg.SaveToFile(path);
    EXPECT_EQ(QFile(path).size(), 0);
    EXPECT_FALSE(jpeg.Empty());  // it holds zero bytes now
}

TEST(JpegImage, ZeroLengthLoadsAndDecodingRaisesInputEmpty) {
    TJPEGImage jpeg;
    QBuffer empty;
    empty.open(QIODevice::ReadOnly);
    jpeg.LoadFromStream(empty);
    EXPECT_EQ(jpeg.Width(), 0);
    EXPECT_EQ(jpeg.Height(), 0);
    EXPECT_FALSE(jpeg.Empty());
    jpeg.SetDecodeScale(JpegDecodeScale::ScaleHalf);
    EXPECT_EQ(jpeg.Width(), 0);
    try {
        jpeg.Bitmap();
        FAIL() << "no EJPEG";
    } catch (const EJPEG& e) {
        EXPECT_EQ(e.Code(), JERR_INPUT_EMPTY);
        EXPECT_EQ(std::string(e.what()), "JPEG エラー #" + std::to_string(JERR_INPUT_EMPTY));
    }
    EXPECT_THROW(jpeg.Bitmap(), EJPEG);  // a failed decode is not cached
}

TEST(JpegImage, BytesThatAreNotJpegRaiseOnLoad) {
    const QByteArray bmp = ReadFileBytes(QStringLiteral(THUMBRIX_TESTDATA "/bmpsuite/g/rgb24.bmp"));
    for (const QByteArray& bytes : {QByteArray("not a picture at all"), bmp}) {
        TJPEGImage jpeg;
        try {
            jpeg.LoadFromBytes(bytes);
            FAIL() << "no EJPEG";
        } catch (const EJPEG& e) {
            EXPECT_EQ(e.Code(), JERR_NO_SOI);
        }
    }
}

TEST(JpegImage, ResizingIsRefused) {
    TJPEGImage jpeg;
    try {
        jpeg.SetWidth(10);
        FAIL();
    } catch (const EInvalidGraphicOperation& e) {
        EXPECT_STREQ(e.what(), "JPEG イメージのサイズは変更できません");
    }
    EXPECT_THROW(jpeg.SetHeight(10), EInvalidGraphicOperation);
}

TEST(JpegImage, FilesAndStreamsWithJapaneseNames) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("サムネイル.jpg"));
    TJPEGImage out;
    out.Assign(Gradient(50, 20));
    out.SaveToFile(path);

    TJPEGImage in;
    in.LoadFromFile(path);
    EXPECT_EQ(in.Width(), 50);
    EXPECT_EQ(in.Height(), 20);
    EXPECT_TRUE(in.Equals(out));

    // A stream is read from its position to its end.
    QByteArray padded = "junk" + out.SaveToBytes();
    QBuffer buffer(&padded);
    buffer.open(QIODevice::ReadOnly);
    buffer.seek(4);
    in.LoadFromStream(buffer);
    EXPECT_EQ(in.Width(), 50);

    QByteArray written;
    QBuffer sink(&written);
    sink.open(QIODevice::WriteOnly);
    in.SaveToStream(sink);
    EXPECT_EQ(written, out.SaveToBytes());
}

TEST(JpegImage, FileErrorsNameTheFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString missing = dir.filePath("missing/x.jpg");
    TJPEGImage jpeg;
    EXPECT_THROW(jpeg.LoadFromFile(missing), EFOpenError);
    jpeg.Assign(Gradient(4, 4));
    try {
        jpeg.SaveToFile(missing);
        FAIL();
    } catch (const EFCreateError& e) {
        EXPECT_EQ(std::string(e.what()), "ファイル " + missing.toStdString() + " を作成できません");
    }
}

TEST(JpegImage, SuppliedPaletteAndPaletteProperty) {
    TJPEGImage jpeg;
    jpeg.SetOutputDepth(JpegOutputDepth::Depth8);
    // Left half red, right half blue; two entries to choose from.
    TBitmap picture(32, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x) {
            uchar* p = picture.scanLine(y) + x * 3;
            p[0] = x < 16 ? 0 : 255;
            p[1] = 0;
            p[2] = x < 16 ? 255 : 0;
        }
    jpeg.LoadFromBytes(EncodeJpeg(picture, 95));
    const QList<QRgb> palette = {qRgb(0, 0, 255), qRgb(255, 0, 0)};
    jpeg.SetPalette(palette);
    const TBitmap& decoded = jpeg.Bitmap();
    ASSERT_EQ(decoded.pixelFormat(), TBitmap::PixelFormat::Bits8);
    EXPECT_EQ(decoded.palette(), palette);
    EXPECT_EQ(decoded.scanLine(8)[2], 1);   // red
    EXPECT_EQ(decoded.scanLine(8)[29], 0);  // blue
    EXPECT_EQ(jpeg.Palette(), palette);

    int changes = 0;
    jpeg.SetOnChange([&changes](TJPEGImage&) { ++changes; });
    jpeg.SetPalette(palette);
    EXPECT_EQ(changes, 0);
    jpeg.SetPalette({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    EXPECT_EQ(changes, 1);  // the bitmap made with the old palette is gone
    EXPECT_EQ(jpeg.Bitmap().palette().size(), 2);
    EXPECT_EQ(jpeg.Bitmap().palette()[0], qRgb(0, 0, 0));
}

TEST(JpegImage, DrawStretchesTheDecodedBitmap) {
    TJPEGImage jpeg;
    jpeg.SetOutputDepth(JpegOutputDepth::Depth24);
    QImage image(8, 8, QImage::Format_BGR888);
    image.fill(Qt::green);
    const TBitmap green(image);
    jpeg.LoadFromBytes(EncodeJpeg(green, 95));
    QImage canvas(40, 40, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    QPainter painter(&canvas);
    jpeg.Draw(painter, QRect(10, 10, 20, 20));
    painter.end();
    EXPECT_EQ(canvas.pixel(5, 5), qRgb(0, 0, 0));
    EXPECT_GT(qGreen(canvas.pixel(20, 20)), 240);
    EXPECT_LT(qRed(canvas.pixel(20, 20)), 16);
}
