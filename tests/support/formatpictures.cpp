#include "tests/support/formatpictures.h"

#include <spng.h>
#include <tiffio.h>
#include <webp/encode.h>
#include <webp/mux.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <vector>

#include "image/bitmap.h"
#include "tests/support/jxlpictures.h"
#include "tests/support/phototags.h"

namespace {

bool HasAlpha(const TBitmap& picture) {
    return picture.pixelFormat() == TBitmap::PixelFormat::Bits32;
}

// R, G, B(, A) samples of every pixel, row after row.
std::vector<uint8_t> RgbSamples(const TBitmap& picture) {
    const int bytes = HasAlpha(picture) ? 4 : 3;
    std::vector<uint8_t> samples;
    for (int y = 0; y < picture.height(); ++y) {
        const uchar* p = picture.scanLine(y);
        for (int x = 0; x < picture.width(); ++x, p += bytes) {
            samples.insert(samples.end(), {p[2], p[1], p[0]});
            if (bytes == 4) samples.push_back(p[3]);
        }
    }
    return samples;
}

QByteArray BareExif(int orientation) {
    return ExifBody(orientation).mid(6);
}

QByteArray Png(const TBitmap& picture, const PictureTags& tags) {
    spng_ctx* context = spng_ctx_new(SPNG_CTX_ENCODER);
    spng_set_option(context, SPNG_ENCODE_TO_BUFFER, 1);
    spng_ihdr header{};
    header.width = uint32_t(picture.width());
    header.height = uint32_t(picture.height());
    header.bit_depth = tags.wide ? 16 : 8;
    header.color_type =
        HasAlpha(picture) ? SPNG_COLOR_TYPE_TRUECOLOR_ALPHA : SPNG_COLOR_TYPE_TRUECOLOR;
    spng_set_ihdr(context, &header);
    QByteArray exif = BareExif(tags.orientation);
    spng_exif exifChunk{size_t(exif.size()), exif.data()};
    if (tags.orientation != 1) spng_set_exif(context, &exifChunk);
    QByteArray profile = tags.profile;
    spng_iccp iccp{};
    std::snprintf(iccp.profile_name, sizeof iccp.profile_name, "test");
    iccp.profile_len = size_t(profile.size());
    iccp.profile = profile.data();
    if (!profile.isEmpty()) spng_set_iccp(context, &iccp);
    std::vector<uint8_t> samples = RgbSamples(picture);
    std::vector<uint8_t> wide;
    for (uint8_t v : samples) {
        const int w = v == 0 ? 0 : v * 257 - 100;
        wide.insert(wide.end(), {uint8_t(w >> 8), uint8_t(w)});  // big-endian, as PNG stores it
    }
    const std::vector<uint8_t>& data = tags.wide ? wide : samples;
    spng_encode_image(context, data.data(), data.size(), tags.wide ? SPNG_FMT_RAW : SPNG_FMT_PNG,
                      SPNG_ENCODE_FINALIZE);
    size_t size = 0;
    int error = 0;
    void* png = spng_get_png_buffer(context, &size, &error);
    QByteArray bytes(static_cast<const char*>(png), qsizetype(size));
    std::free(png);
    spng_ctx_free(context);
    return bytes;
}

QByteArray Webp(const TBitmap& picture, const PictureTags& tags) {
    TBitmap bgra = picture;
    if (!HasAlpha(bgra)) {
        bgra = TBitmap(picture.width(), picture.height(), TBitmap::PixelFormat::Bits32);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x) {
                for (int c = 0; c < 3; ++c)
                    bgra.scanLine(y)[x * 4 + c] = picture.scanLine(y)[x * 3 + c];
                bgra.scanLine(y)[x * 4 + 3] = 255;
            }
    }
    uint8_t* out = nullptr;
    const size_t size = WebPEncodeLosslessBGRA(bgra.scanLine(0), bgra.width(), bgra.height(),
                                               int(bgra.bytesPerLine()), &out);
    WebPData image{out, size};
    WebPMux* mux = WebPMuxCreate(&image, 1);
    const QByteArray exif = BareExif(tags.orientation);
    const WebPData exifData{reinterpret_cast<const uint8_t*>(exif.constData()),
                            size_t(exif.size())};
    if (tags.orientation != 1) WebPMuxSetChunk(mux, "EXIF", &exifData, 1);
    const WebPData iccData{reinterpret_cast<const uint8_t*>(tags.profile.constData()),
                           size_t(tags.profile.size())};
    if (!tags.profile.isEmpty()) WebPMuxSetChunk(mux, "ICCP", &iccData, 1);
    WebPData assembled{};
    WebPMuxAssemble(mux, &assembled);
    QByteArray bytes(reinterpret_cast<const char*>(assembled.bytes), qsizetype(assembled.size));
    WebPDataClear(&assembled);
    WebPMuxDelete(mux);
    WebPFree(out);
    return bytes;
}

QByteArray Tiff(const TBitmap& picture, const PictureTags& tags) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.tif"));
    TIFF* tiff = TIFFOpen(path.toLocal8Bit().constData(), "w");
    const int channels = HasAlpha(picture) ? 4 : 3;
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, uint32_t(picture.width()));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, uint32_t(picture.height()));
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, channels);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, tags.wide ? 16 : 8);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_ORIENTATION, uint16_t(tags.orientation));
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
    if (channels == 4) {
        const uint16_t extra[] = {EXTRASAMPLE_UNASSALPHA};
        TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, extra);
    }
    if (!tags.profile.isEmpty())
        TIFFSetField(tiff, TIFFTAG_ICCPROFILE, uint32_t(tags.profile.size()),
                     tags.profile.constData());
    const std::vector<uint8_t> samples = RgbSamples(picture);
    const size_t row = size_t(picture.width()) * size_t(channels);
    for (int y = 0; y < picture.height(); ++y) {
        std::vector<uint16_t> wide(samples.begin() + long(row * size_t(y)),
                                   samples.begin() + long(row * size_t(y + 1)));
        for (uint16_t& v : wide) v = uint16_t(v == 0 ? 0 : v * 257 - 100);
        void* data = tags.wide ? static_cast<void*>(wide.data())
                               : const_cast<uint8_t*>(samples.data() + row * size_t(y));
        TIFFWriteScanline(tiff, data, uint32_t(y), 0);
    }
    TIFFClose(tiff);
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

}  // namespace

QByteArray EncodeTestPicture(const std::string& format, const TBitmap& picture,
                             const PictureTags& tags) {
    if (format == "PNG") return Png(picture, tags);
    if (format == "WebP") return Webp(picture, tags);
    if (format == "JPEG XL") {
        JxlRecipe recipe;
        recipe.orientation = tags.orientation;
        recipe.profile = tags.profile;
        recipe.wide = tags.wide;
        return EncodeJxl(picture, recipe);
    }
    if (format == "GIF") {
        QProcess convert;
        convert.start(QStringLiteral("convert"),
                      {QStringLiteral("png:-"), QStringLiteral("gif:-")});
        convert.write(Png(picture, tags));
        convert.closeWriteChannel();
        convert.waitForFinished();
        return convert.readAllStandardOutput();
    }
    return Tiff(picture, tags);
}
