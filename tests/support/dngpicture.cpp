#include "tests/support/dngpicture.h"

#include <tiffio.h>

#include <QFile>
#include <QTemporaryDir>
#include <vector>

namespace {

constexpr int kRawWidth = 256, kRawHeight = 192;

// The tags of a DNG file's first IFD.
void DngTags(TIFF* tiff, int orientation) {
    TIFFSetField(tiff, TIFFTAG_ORIENTATION, orientation);
    static const uint8_t kVersion[4] = {1, 4, 0, 0};
    TIFFSetField(tiff, TIFFTAG_DNGVERSION, kVersion);
    TIFFSetField(tiff, TIFFTAG_MAKE, "Thumbrix");
    TIFFSetField(tiff, TIFFTAG_MODEL, "Test Camera");
    TIFFSetField(tiff, TIFFTAG_UNIQUECAMERAMODEL, "Thumbrix Test Camera");
}

void WritePreview(TIFF* tiff, const DngRecipe& recipe) {
    const int width = recipe.previewWidth, height = recipe.previewHeight;
    TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, FILETYPE_REDUCEDIMAGE);
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, height);
    DngTags(tiff, recipe.orientation);
    toff_t subIfd = 0;
    TIFFSetField(tiff, TIFFTAG_SUBIFD, 1, &subIfd);
    if (recipe.bitmapPreview) {
        TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
        std::vector<uint8_t> pixels(size_t(width) * size_t(height) * 3, 128);
        TIFFWriteEncodedStrip(tiff, 0, pixels.data(), tmsize_t(pixels.size()));
    } else {
        TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_JPEG);
        QByteArray jpeg = recipe.jpegPreview;
        TIFFWriteRawStrip(tiff, 0, jpeg.data(), tmsize_t(jpeg.size()));
    }
    TIFFWriteDirectory(tiff);
}

void WriteRaw(TIFF* tiff, bool first, int orientation) {
    if (first) DngTags(tiff, orientation);
    TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, 0);
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, kRawWidth);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, kRawHeight);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 16);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_CFA);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, kRawHeight);
    static const uint16_t kRepeat[2] = {2, 2};
    static const uint8_t kPattern[4] = {0, 1, 1, 2};
    TIFFSetField(tiff, TIFFTAG_CFAREPEATPATTERNDIM, kRepeat);
    TIFFSetField(tiff, TIFFTAG_CFAPATTERN, 4, kPattern);
    std::vector<uint16_t> samples(size_t(kRawWidth) * kRawHeight, 512);
    TIFFWriteEncodedStrip(tiff, 0, samples.data(), tmsize_t(samples.size() * 2));
    TIFFWriteDirectory(tiff);
}

}  // namespace

QByteArray MakeDng(const DngRecipe& recipe) {
    QTemporaryDir folder;
    const QString path = folder.filePath("picture.dng");
    TIFF* tiff = TIFFOpen(path.toLocal8Bit().constData(), "w");
    if (tiff == nullptr) return {};
    if (recipe.jpegPreview.isEmpty() && !recipe.bitmapPreview) {
        WriteRaw(tiff, true, recipe.orientation);
    } else {
        WritePreview(tiff, recipe);
        WriteRaw(tiff, false, 1);
    }
    TIFFClose(tiff);
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
