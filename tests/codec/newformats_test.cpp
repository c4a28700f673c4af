#include <gtest/gtest.h>
#include <tiffio.h>

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdlib>
#include <string>

#include "codec/pictureformat.h"
#include "codec/srgbtransform.h"
#include "image/bitmap.h"
#include "image/orientation.h"
#include "tests/support/formatpictures.h"
#include "tests/support/phototags.h"

namespace {

// 7 x 5 pixels of distinct colours; with alpha, every opacity from clear to opaque.
TBitmap Picture(bool alpha) {
    TBitmap picture(7, 5, alpha ? TBitmap::PixelFormat::Bits32 : TBitmap::PixelFormat::Bits24);
    const int bytes = alpha ? 4 : 3;
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) {
            uchar* p = picture.scanLine(y) + x * bytes;
            p[0] = uchar(x * 36);
            p[1] = uchar(y * 60 + 10);
            p[2] = uchar(255 - x * 20 - y * 7);
            if (alpha) p[3] = uchar((y * 7 + x) * 255 / 34);
        }
    return picture;
}

int MaxDifference(const TBitmap& a, const TBitmap& b) {
    if (a.width() != b.width() || a.height() != b.height()) return 256;
    int most = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int i = 0; i < a.width() * 3; ++i)
            most = std::max(most, std::abs(a.scanLine(y)[i] - b.scanLine(y)[i]));
    return most;
}

bool Decode(const QByteArray& bytes, const DecodeOptions& options, TBitmap& bitmap,
            std::string& reason, std::string& format) {
    const PictureFormat* found =
        FormatOfContent(std::string_view(bytes.constData(), size_t(bytes.size())));
    if (found == nullptr) return false;
    format = found->name;
    return DecodePicture(*found, bytes, options, bitmap, reason);
}

TEST(NewFormats, LosslessPicturesDecodeToTheirPixelsUprightInSrgb) {
    const struct {
        const char* format;
        bool alpha, wide;
        int orientation;
        bool profile;
        int tolerance;  // libtiff multiplies colours by alpha, which we undo
    } rows[] = {
        {"PNG", false, false, 1, false, 0},  {"PNG", true, false, 6, false, 0},
        {"PNG", false, true, 3, false, 0},   {"PNG", true, true, 1, true, 0},
        {"PNG", false, false, 1, true, 0},   {"WebP", false, false, 8, false, 0},
        {"WebP", true, false, 1, true, 0},   {"WebP", false, false, 5, false, 0},
        {"TIFF", false, false, 6, false, 0}, {"TIFF", false, true, 2, true, 0},
        {"TIFF", true, false, 1, false, 1},  {"GIF", false, false, 1, false, 0},
    };
    for (const auto& r : rows) {
        const std::string name = std::string(r.format) + (r.alpha ? " alpha" : "") +
                                 (r.wide ? " 16-bit" : "") + " orientation " +
                                 std::to_string(r.orientation) + (r.profile ? " profile" : "");
        PictureTags tags;
        tags.orientation = r.orientation;
        tags.wide = r.wide;
        if (r.profile) tags.profile = AdobeRgbProfile();
        const QByteArray bytes = EncodeTestPicture(r.format, Picture(r.alpha), tags);
        DecodeOptions options;
        options.autoOrient = true;
        options.toSrgb = true;
        TBitmap decoded;
        std::string reason, format;
        ASSERT_TRUE(Decode(bytes, options, decoded, reason, format)) << name << ": " << reason;
        EXPECT_EQ(format, r.format) << name;
        EXPECT_EQ(decoded.pixelFormat() == TBitmap::PixelFormat::Bits32, r.alpha) << name;

        TBitmap expected = Picture(r.alpha);
        if (r.profile) {
            // Colours convert before they are laid on white.
            const auto transform = SrgbTransform::Make(tags.profile, SrgbTransform::Input::Bgr);
            for (int y = 0; y < expected.height(); ++y)
                for (int x = 0; x < expected.width(); ++x) {
                    uchar* p = expected.scanLine(y) + x * (r.alpha ? 4 : 3);
                    transform->convertRow(p, p, 1);
                }
        }
        TurnUpright(expected, r.orientation);
        expected.setPixelFormat(TBitmap::PixelFormat::Bits24);
        decoded.setPixelFormat(TBitmap::PixelFormat::Bits24);
        EXPECT_LE(MaxDifference(decoded, expected), r.tolerance) << name;
    }
}

uint32_t Crc32(const QByteArray& bytes) {
    uint32_t crc = 0xFFFFFFFF;
    for (const char c : bytes) {
        crc ^= uchar(c);
        for (int k = 0; k < 8; ++k) crc = crc & 1 ? (crc >> 1) ^ 0xEDB88320 : crc >> 1;
    }
    return ~crc;
}

QByteArray Bytes(std::initializer_list<char> bytes) {
    return QByteArray(bytes.begin(), qsizetype(bytes.size()));
}

QByteArray BigEndian32(uint32_t v) {
    return Bytes({char(v >> 24), char(v >> 16), char(v >> 8), char(v)});
}

// A PNG whose header claims width x height, its checksum right.
QByteArray PngClaiming(uint32_t width, uint32_t height) {
    QByteArray png = EncodeTestPicture("PNG", Picture(false));
    const QByteArray body = "IHDR" + BigEndian32(width) + BigEndian32(height) + png.mid(24, 5);
    return png.left(12) + body + BigEndian32(Crc32(body)) + png.mid(33);
}

// A lossless WebP header claiming 16000 x 16000 pixels with alpha.
QByteArray WebpClaiming16000() {
    const uint32_t bits = 15999u | 15999u << 14 | 1u << 28;  // with alpha
    QByteArray vp8l = QByteArray("\x2f", 1) +
                      Bytes({char(bits), char(bits >> 8), char(bits >> 16), char(bits >> 24)}) +
                      QByteArray(32, '\0');
    auto le32 = [](uint32_t v) {
        return Bytes({char(v), char(v >> 8), char(v >> 16), char(v >> 24)});
    };
    const QByteArray chunk = "VP8L" + le32(uint32_t(vp8l.size())) + vp8l;
    return "RIFF" + le32(uint32_t(4 + chunk.size())) + "WEBP" + chunk;
}

QByteArray TiffClaiming60000() {
    QTemporaryDir dir;
    const QByteArray path = dir.filePath(QStringLiteral("big.tif")).toLocal8Bit();
    TIFF* tiff = TIFFOpen(path.constData(), "w");
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, 60000u);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, 60000u);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 1u);
    const std::string row(180000, '\x40');
    TIFFWriteScanline(tiff, const_cast<char*>(row.data()), 0, 0);
    TIFFClose(tiff);
    QFile file(QString::fromLocal8Bit(path));
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

TEST(NewFormats, HugeOrDamagedPicturesAreRefusedWithAReason) {
    const QByteArray png = EncodeTestPicture("PNG", Picture(true));
    const QByteArray webp = EncodeTestPicture("WebP", Picture(true));
    const QByteArray tiff = EncodeTestPicture("TIFF", Picture(false));
    const struct {
        const char* what;
        QByteArray bytes;
        const char* reason;  // the start of the refusal's reason
    } rows[] = {
        {"PNG 40000 x 40000", PngClaiming(40000, 40000), "too large to decode: 40000 x 40000"},
        {"WebP 16000 x 16000", WebpClaiming16000(), "too large to decode: 16000 x 16000"},
        {"TIFF 60000 x 60000", TiffClaiming60000(), "too large to decode: 60000 x 60000"},
        {"GIF 65535 x 65535",
         QByteArray(
             "GIF89a\xff\xff\xff\xff\x00\x00\x00,\0\0\0\0\xff\xff\xff\xff\0\x02\x02\x4c\x01\0;",
             29),
         "too large to decode: 65535 x 65535"},
        {"PNG cut short", png.left(png.size() / 2), "PNG: "},
        {"PNG damaged", png.left(40) + QByteArray(20, 'x') + png.mid(60), "PNG: "},
        {"WebP cut short", webp.left(webp.size() / 2), "WebP: "},
        {"TIFF cut short", tiff.left(tiff.size() / 2), "TIFF: "},
    };
    for (const auto& r : rows) {
        TBitmap decoded;
        std::string reason, format;
        EXPECT_FALSE(Decode(r.bytes, DecodeOptions(), decoded, reason, format)) << r.what;
        EXPECT_EQ(reason.rfind(r.reason, 0), 0u) << r.what << ": " << reason;
    }
}

}  // namespace
