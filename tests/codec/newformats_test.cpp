#include <gtest/gtest.h>
#include <tiffio.h>
#include <webp/encode.h>

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "codec/heifdecoder.h"
#include "codec/pictureformat.h"
#include "codec/srgbtransform.h"
#include "image/bitmap.h"
#include "image/orientation.h"
#include "tests/codec/codectestutil.h"
#include "tests/support/dngpicture.h"
#include "tests/support/formatpictures.h"
#include "tests/support/heifpictures.h"
#include "tests/support/imagecompare.h"
#include "tests/support/jxlpictures.h"
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
        int tolerance;  // libtiff's RGBA reader (16 bits) multiplies colours by alpha
    } rows[] = {
        {"PNG", false, false, 1, false, 0},    {"PNG", true, false, 6, false, 0},
        {"PNG", false, true, 3, false, 0},     {"PNG", true, true, 1, true, 0},
        {"PNG", false, false, 1, true, 0},     {"WebP", false, false, 8, false, 0},
        {"WebP", true, false, 1, true, 0},     {"WebP", false, false, 5, false, 0},
        {"TIFF", false, false, 6, false, 0},   {"TIFF", false, true, 2, true, 0},
        {"TIFF", true, false, 1, false, 0},    {"TIFF", true, true, 3, false, 1},
        {"GIF", false, false, 1, false, 0},    {"JPEG XL", false, false, 6, false, 0},
        {"JPEG XL", true, true, 3, true, 0},   {"JPEG XL", false, true, 1, true, 0},
        {"JPEG XL", true, false, 8, false, 0},
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

// picture's samples as a TIFF file of another layout: gray (its green),
// planes one after another, or tiles.
QByteArray TiffOfLayout(const TBitmap& picture, bool gray, bool planes, bool tiles) {
    QTemporaryDir dir;
    const QByteArray path = dir.filePath(QStringLiteral("p.tif")).toLocal8Bit();
    TIFF* tiff = TIFFOpen(path.constData(), "w");
    const int w = picture.width(), h = picture.height();
    const int samples = gray ? 1 : 3;
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, uint32_t(w));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, uint32_t(h));
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, samples);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, gray ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, planes ? PLANARCONFIG_SEPARATE : PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    // Sample c (red, green, blue; gray is green) of pixel (x, y).
    const auto at = [&](int x, int y, int c) { return picture.scanLine(y)[x * 3 + 2 - c]; };
    if (tiles) {
        TIFFSetField(tiff, TIFFTAG_TILEWIDTH, 16u);
        TIFFSetField(tiff, TIFFTAG_TILELENGTH, 16u);
        std::vector<uint8_t> tile(16 * 16 * size_t(samples));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                for (int c = 0; c < samples; ++c)
                    tile[size_t((y * 16 + x) * samples + c)] = at(x, y, gray ? 1 : c);
        TIFFWriteTile(tiff, tile.data(), 0, 0, 0, 0);
    } else {
        for (int plane = 0; plane < (planes ? samples : 1); ++plane)
            for (int y = 0; y < h; ++y) {
                std::vector<uint8_t> row;
                for (int x = 0; x < w; ++x)
                    for (int c = 0; c < (planes ? 1 : samples); ++c)
                        row.push_back(at(x, y, gray ? 1 : planes ? plane : c));
                TIFFWriteScanline(tiff, row.data(), uint32_t(y), uint16_t(plane));
            }
    }
    TIFFClose(tiff);
    QFile file(QString::fromLocal8Bit(path));
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

// Strips of 8-bit gray or RGB are read row by row, every other layout through
// libtiff's RGBA reader: both give the same pixels.
TEST(NewFormats, TiffLayoutsDecodeToTheirPixels) {
    const struct {
        const char* what;
        bool gray, planes, tiles;
    } rows[] = {
        {"gray strips", true, false, false},
        {"gray tiles", true, false, true},
        {"RGB planes", false, true, false},
        {"RGB tiles", false, false, true},
    };
    const TBitmap picture = Picture(false);
    for (const auto& r : rows) {
        TBitmap expected = picture;
        if (r.gray)
            for (int y = 0; y < expected.height(); ++y)
                for (int x = 0; x < expected.width(); ++x) {
                    uchar* p = expected.scanLine(y) + x * 3;
                    p[0] = p[2] = p[1];
                }
        TBitmap decoded;
        std::string reason, format;
        ASSERT_TRUE(Decode(TiffOfLayout(picture, r.gray, r.planes, r.tiles), DecodeOptions(),
                           decoded, reason, format))
            << r.what << ": " << reason;
        EXPECT_EQ(decoded.pixelFormat(), TBitmap::PixelFormat::Bits24) << r.what;
        EXPECT_EQ(MaxDifference(decoded, expected), 0) << r.what;
    }
}

// --draft lets libwebp scale a lossy picture as it decodes, to twice the
// thumbnail's size: the area average of the full decode, within rounding. A lossless one it would
// decode whole anyway: it stays exact.
TEST(NewFormats, DraftScalesALossyWebpToTwiceTheThumbnailSize) {
    TBitmap picture(256, 192);
    for (int y = 0; y < 192; ++y)
        for (int x = 0; x < 256; ++x) {
            uchar* p = picture.scanLine(y) + x * 3;
            // Smooth, as photographs are: libwebp scales before it converts
            // to RGB, which sharp colour edges would show.
            p[0] = uchar(x);
            p[1] = uchar((y + x / 2) / 2);
            p[2] = uchar(255 - y);
        }
    uint8_t* out = nullptr;
    const size_t size =
        WebPEncodeBGR(picture.scanLine(0), 256, 192, int(picture.bytesPerLine()), 90, &out);
    const QByteArray lossy(reinterpret_cast<const char*>(out), qsizetype(size));
    WebPFree(out);
    const QByteArray lossless = EncodeTestPicture("WebP", picture);
    const struct {
        const QByteArray* webp;
        bool draft;
        int thumbnailSize, width, height;
    } rows[] = {{&lossy, false, 32, 256, 192},
                {&lossy, true, 32, 64, 48},
                {&lossy, true, 200, 256, 192},
                {&lossless, true, 32, 256, 192}};
    for (const auto& r : rows) {
        DecodeOptions options;
        options.draft = r.draft;
        options.thumbnailSize = r.thumbnailSize;
        TBitmap decoded;
        std::string reason, format;
        ASSERT_TRUE(Decode(*r.webp, options, decoded, reason, format)) << reason;
        const std::string what = std::string(r.webp == &lossy ? "lossy" : "lossless") +
                                 (r.draft ? " draft " : " ") + std::to_string(r.thumbnailSize);
        ASSERT_EQ(decoded.width(), r.width) << what;
        ASSERT_EQ(decoded.height(), r.height) << what;
    }
    TBitmap full, scaled;
    std::string reason, format;
    ASSERT_TRUE(Decode(lossy, DecodeOptions(), full, reason, format)) << reason;
    DecodeOptions draft;
    draft.draft = true;
    ASSERT_TRUE(Decode(lossy, draft, scaled, reason, format)) << reason;
    // Each pixel against the mean of the 4 x 4 it covers.
    int most = 0;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            for (int c = 0; c < 3; ++c) {
                int sum = 0;
                for (int v = 0; v < 4; ++v)
                    for (int u = 0; u < 4; ++u)
                        sum += full.scanLine(y * 4 + v)[(x * 4 + u) * 3 + c];
                most = std::max(most, std::abs(scaled.scanLine(y)[x * 3 + c] - (sum + 8) / 16));
            }
    EXPECT_LE(most, 2);  // scaled in YUV, before the colours are converted
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

// Every new decoder refuses what it cannot or may not decode, with a reason.
TEST(NewFormats, HugeOrDamagedPicturesAreRefusedWithAReason) {
    const QByteArray png = EncodeTestPicture("PNG", Picture(true));
    const QByteArray webp = EncodeTestPicture("WebP", Picture(true));
    const QByteArray tiff = EncodeTestPicture("TIFF", Picture(false));
    const QByteArray heif = EncodeHeif(Quadrants(64, 48));
    const QByteArray jxl = EncodeTestPicture("JPEG XL", Picture(true));
    // Every spatial extent property (the coded tile's and the shown grid's)
    // claiming another size.
    const auto heifOfSize = [&](uint32_t width, uint32_t height) {
        QByteArray bytes = heif;
        for (qsizetype at = bytes.indexOf("ispe"); at >= 0; at = bytes.indexOf("ispe", at + 1)) {
            for (int i = 0; i < 4; ++i) {  // past the version and flags
                bytes[at + 8 + i] = char(width >> (24 - 8 * i));
                bytes[at + 12 + i] = char(height >> (24 - 8 * i));
            }
        }
        return bytes;
    };
    const auto dng = [](const QByteArray& jpeg, bool bitmapPreview = false) {
        DngRecipe recipe;
        recipe.jpegPreview = jpeg;
        recipe.previewWidth = 64;
        recipe.previewHeight = 48;
        recipe.bitmapPreview = bitmapPreview;
        return MakeDng(recipe);
    };
    const struct {
        const char* what;
        const char* extension;  // the decoder's
        QByteArray bytes;
        const char* reason;  // the start of the refusal's reason
    } rows[] = {
        {"PNG 40000 x 40000", ".png", PngClaiming(40000, 40000),
         "too large to decode: 40000 x 40000"},
        {"WebP 16000 x 16000", ".webp", WebpClaiming16000(), "too large to decode: 16000 x 16000"},
        {"TIFF 60000 x 60000", ".tif", TiffClaiming60000(), "too large to decode: 60000 x 60000"},
        {"GIF 65535 x 65535", ".gif",
         QByteArray(
             "GIF89a\xff\xff\xff\xff\x00\x00\x00,\0\0\0\0\xff\xff\xff\xff\0\x02\x02\x4c\x01\0;",
             29),
         "too large to decode: 65535 x 65535"},
        {"HEIF 20000 x 20000", ".heic", heifOfSize(20000, 20000),
         "too large to decode: 20000 x 20000 pixels need more than the 1536 MiB"},
        {"HEIF over libheif's side limit", ".heic", heifOfSize(kHeifMaxSide + 1, 16), ""},
        {"PNG cut short", ".png", png.left(png.size() / 2), "PNG: "},
        {"PNG damaged", ".png", png.left(40) + QByteArray(20, 'x') + png.mid(60), "PNG: "},
        {"WebP cut short", ".webp", webp.left(webp.size() / 2), "WebP: "},
        {"TIFF cut short", ".tif", tiff.left(tiff.size() / 2), "TIFF: "},
        {"HEIF cut short", ".heic", heif.left(heif.size() / 2), ""},
        {"HEIF only the file type", ".heic", heif.left(40), ""},
        {"not HEIF", ".heic",
         QByteArray("\0\0\0\x10"
                    "ftypjunk\0\0\0\0",
                    16),
         ""},
        {"JPEG XL 40000 x 40000", ".jxl",
         ReadFileBytes(
             QStringLiteral(THUMBRIX_SOURCE_DIR "/tests/data/fuzz/jxl/header-40000x40000.jxl")),
         "too large to decode: 40000 x 40000"},
        {"JPEG XL cut short", ".jxl", jxl.left(jxl.size() / 2),
         "JPEG XL: damaged, cut short or unsupported picture data"},
        {"JPEG XL cut in its header", ".jxl", jxl.left(3),
         "JPEG XL: damaged, cut short or unsupported picture data"},
        {"JPEG XL damaged", ".jxl", jxl.left(2) + QByteArray(40, '\xff'),
         "JPEG XL: damaged, cut short or unsupported picture data"},
        {"RAW without a preview", ".dng", MakeDng({}), "the RAW file holds no preview picture"},
        {"RAW with a bitmap preview", ".dng", dng({}, true),
         "the RAW file's preview is not a JPEG picture"},
        // LibRaw reads a DNG's JPEG strip itself, and takes a damaged one for none.
        {"RAW with a damaged preview", ".dng", dng(EncodeJpeg(Quadrants(64, 48), 90).left(200)),
         "the RAW file's preview is not a JPEG picture"},
        {"not a RAW file", ".dng", QByteArray("II*\0\x08\0\0\0garbage", 15),
         "not a readable camera RAW file: "},
        {"empty RAW", ".dng", QByteArray(), "not a readable camera RAW file: "},
    };
    for (const auto& r : rows) {
        TBitmap decoded;
        std::string reason;
        EXPECT_FALSE(DecodePicture(*FormatOfExtension(r.extension), r.bytes, DecodeOptions(),
                                   decoded, reason))
            << r.what;
        EXPECT_FALSE(reason.empty()) << r.what;
        EXPECT_EQ(reason.rfind(r.reason, 0), 0u) << r.what << ": " << reason;
    }
}

// libjxl turns a JPEG XL picture by the codestream's orientation, which wins
// over an Exif box's.
TEST(NewFormats, JxlTurnedByItsOwnOrientationAndNeverAgainByExif) {
    const TBitmap picture = Quadrants(16, 10);
    const struct {
        int orientation, exif;  // the codestream's, the Exif box's (0: none, bare codestream)
    } rows[] = {{1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {7, 0}, {8, 0}, {1, 6}, {3, 6}};
    for (const auto& r : rows) {
        JxlRecipe recipe;
        recipe.orientation = r.orientation;
        recipe.exifOrientation = r.exif;
        TBitmap upright = picture;
        TurnUpright(upright, r.orientation);
        for (const bool autoOrient : {false, true}) {
            DecodeOptions options;
            options.autoOrient = autoOrient;
            TBitmap decoded;
            std::string reason, format;
            ASSERT_TRUE(Decode(EncodeJxl(picture, recipe), options, decoded, reason, format))
                << reason;
            EXPECT_TRUE(SameBitmap(decoded, upright))
                << r.orientation << " exif " << r.exif << " " << autoOrient;
        }
    }
}

// Gray comes out as RGB, 16 bits as 8. The seed: 17 x 13, (15 x + 19 y) mod 256.
// A lossy picture tagged with a profile is rendered to sRGB: in linear sRGB,
// libjxl's own choice, 8 bits lose the shadows' steps.
TEST(NewFormats, JxlGrayAndProfiledLossyComeOutAsEightBitRgb) {
    const TBitmap ramp = PositionCoded(64, 16, [](int x, int) { return x / 2; });
    const QByteArray adobe = AdobeRgbProfile();
    JxlRecipe lossy;
    lossy.lossless = false;
    lossy.distance = 0.3f;
    lossy.profile = adobe;
    const QByteArray gray =
        ReadFileBytes(QStringLiteral(THUMBRIX_SOURCE_DIR "/tests/data/fuzz/jxl/gray-16bit.jxl"));
    const struct {
        QByteArray bytes;
        bool toSrgb;
        TBitmap expected;
        int tolerance;
    } rows[] = {
        {gray, false, PositionCoded(17, 13, [](int x, int y) { return (15 * x + 19 * y) % 256; }),
         0},
        {EncodeJxl(FromSrgb(ramp, adobe), lossy), false, ramp, 2},
        {EncodeJxl(FromSrgb(ramp, adobe), lossy), true, ramp, 2},
    };
    for (const auto& r : rows) {
        DecodeOptions options;
        options.toSrgb = r.toSrgb;
        TBitmap decoded;
        std::string reason, format;
        ASSERT_TRUE(Decode(r.bytes, options, decoded, reason, format)) << reason;
        EXPECT_EQ(decoded.pixelFormat(), TBitmap::PixelFormat::Bits24);
        EXPECT_LE(MaxDifference(decoded, r.expected), r.tolerance) << &r - rows;
    }
}

}  // namespace
