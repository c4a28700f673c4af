#include "tests/codec/codectestutil.h"

#include <QFile>
#include <cstdlib>
#include <stdexcept>

#include "codec/jpegimage.h"

QString JpegSample(const QString& name) {
    return QStringLiteral(THUMBRIX_TESTDATA "/jpeg/") + name;
}

TBitmap ReadPnm(const QString& path) {
    const QByteArray bytes = ReadFileBytes(path);
    // Header: magic, width, height, maxval, each separated by one blank.
    QList<QByteArray> fields;
    qsizetype pos = 0;
    while (fields.size() < 4) {
        while (pos < bytes.size() && QChar(bytes[pos]).isSpace()) ++pos;
        const qsizetype start = pos;
        while (pos < bytes.size() && !QChar(bytes[pos]).isSpace()) ++pos;
        fields.append(bytes.mid(start, pos - start));
    }
    ++pos;
    const bool gray = fields[0] == "P5";
    const int width = fields[1].toInt();
    const int height = fields[2].toInt();
    const int channels = gray ? 1 : 3;
    if (bytes.size() - pos < qsizetype(width) * height * channels)
        throw std::runtime_error("short PNM file");
    TBitmap bitmap(width, height);
    const auto* in = reinterpret_cast<const uchar*>(bytes.constData() + pos);
    for (int y = 0; y < height; ++y) {
        uchar* row = bitmap.scanLine(y);
        for (int x = 0; x < width; ++x, in += channels) {
            row[x * 3] = in[gray ? 0 : 2];
            row[x * 3 + 1] = in[gray ? 0 : 1];
            row[x * 3 + 2] = in[0];
        }
    }
    return bitmap;
}

QByteArray EncodeJpeg(const TBitmap& bitmap, int quality, bool progressive) {
    TJPEGImage jpeg;
    jpeg.Assign(bitmap);
    jpeg.SetEncodeQuality(quality);
    jpeg.SetProgressiveWrite(progressive);
    return jpeg.SaveToBytes();
}

QList<JpegSegment> HeaderSegments(const QByteArray& jpeg) {
    QList<JpegSegment> segments;
    qsizetype pos = 2;  // after SOI
    while (pos + 4 <= jpeg.size() && uchar(jpeg[pos]) == 0xFF) {
        const int marker = uchar(jpeg[pos + 1]);
        const int length = uchar(jpeg[pos + 2]) * 256 + uchar(jpeg[pos + 3]);
        segments.append({marker, jpeg.mid(pos + 4, length - 2)});
        pos += 2 + length;
        if (marker == 0xDA) break;
    }
    return segments;
}

qsizetype ScanDataOffset(const QByteArray& jpeg) {
    qsizetype pos = 2;
    while (pos + 4 <= jpeg.size()) {
        const int marker = uchar(jpeg[pos + 1]);
        pos += 2 + uchar(jpeg[pos + 2]) * 256 + uchar(jpeg[pos + 3]);
        if (marker == 0xDA) return pos;
    }
    throw std::runtime_error("no scan");
}

QByteArray WithFrameSize(const QByteArray& jpeg, int width, int height) {
    QByteArray copy = jpeg;
    qsizetype pos = 2;
    while (pos + 4 <= copy.size()) {
        const int marker = uchar(copy[pos + 1]);
        if (marker >= 0xC0 && marker <= 0xC2) {
            copy[pos + 5] = char(height >> 8);
            copy[pos + 6] = char(height & 0xFF);
            copy[pos + 7] = char(width >> 8);
            copy[pos + 8] = char(width & 0xFF);
            return copy;
        }
        pos += 2 + uchar(copy[pos + 2]) * 256 + uchar(copy[pos + 3]);
    }
    throw std::runtime_error("no frame");
}

namespace {

constexpr QRgb kQuadrantColours[4] = {qRgba(230, 30, 30, 255), qRgba(30, 200, 40, 128),
                                      qRgba(40, 40, 220, 0), qRgba(128, 128, 128, 255)};

int QuadrantAt(int x, int y, int width, int height) {
    const bool right = 2 * x >= width, bottom = 2 * y >= height;
    return bottom ? (right ? 2 : 3) : (right ? 1 : 0);
}

}  // namespace

TBitmap Quadrants(int width, int height, bool alpha) {
    TBitmap bitmap(width, height,
                   alpha ? TBitmap::PixelFormat::Bits32 : TBitmap::PixelFormat::Bits24);
    const int channels = alpha ? 4 : 3;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const QRgb c = kQuadrantColours[QuadrantAt(x, y, width, height)];
            uchar* p = bitmap.scanLine(y) + x * channels;
            p[0] = uchar(qBlue(c));
            p[1] = uchar(qGreen(c));
            p[2] = uchar(qRed(c));
            if (alpha) p[3] = uchar(qAlpha(c));
        }
    return bitmap;
}

QRgb QuadrantColour(const TBitmap& bitmap, int quadrant) {
    const bool alpha = bitmap.pixelFormat() == TBitmap::PixelFormat::Bits32;
    const int channels = alpha ? 4 : 3;
    const int cx = (quadrant == 1 || quadrant == 2) ? bitmap.width() * 3 / 4 : bitmap.width() / 4;
    const int cy = quadrant >= 2 ? bitmap.height() * 3 / 4 : bitmap.height() / 4;
    int sum[4] = {};
    for (int y = cy - 2; y <= cy + 2; ++y)
        for (int x = cx - 2; x <= cx + 2; ++x)
            for (int c = 0; c < channels; ++c) sum[c] += bitmap.scanLine(y)[x * channels + c];
    return qRgba(sum[2] / 25, sum[1] / 25, sum[0] / 25, alpha ? sum[3] / 25 : 255);
}

bool CloseColours(QRgb a, QRgb b, int tolerance) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance &&
           std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance &&
           std::abs(qAlpha(a) - qAlpha(b)) <= tolerance;
}
