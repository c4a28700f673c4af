#include "image/bitmap.h"

#include <new>
#include <utility>

QImage::Format TBitmap::qtFormat(PixelFormat format) {
    switch (format) {
        case PixelFormat::Bits8:
            return QImage::Format_Indexed8;
        case PixelFormat::Bits32:
            return QImage::Format_ARGB32;
        default:
            return QImage::Format_BGR888;
    }
}

TBitmap::TBitmap(int width, int height, PixelFormat format)
    : image_(width, height, qtFormat(format)), format_(format) {}

TBitmap::TBitmap(QImage image) {
    if (image.format() == QImage::Format_Indexed8) {
        format_ = PixelFormat::Bits8;
        image_ = std::move(image);
    } else {
        format_ = PixelFormat::Bits24;
        image_ = image.format() == QImage::Format_BGR888
                     ? std::move(image)
                     : image.convertToFormat(QImage::Format_BGR888);
    }
}

void TBitmap::setSize(int width, int height) {
    if (width == image_.width() && height == image_.height() && !image_.isNull()) return;
    QList<QRgb> colors = image_.colorTable();
    if (width < 1 || height < 1) {
        image_ = QImage();
    } else {
        image_ = QImage(width, height, qtFormat(format_));
        if (image_.isNull()) throw std::bad_alloc();
    }
    if (format_ == PixelFormat::Bits8 && !image_.isNull()) image_.setColorTable(colors);
}

void TBitmap::setPixelFormat(PixelFormat format) {
    if (format == format_) return;
    if (format_ == PixelFormat::Bits32) layOnBackground(qRgb(255, 255, 255));
    if (format == format_) return;
    format_ = format;
    if (image_.isNull()) return;
    image_ = format == PixelFormat::Bits8
                 ? image_.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither)
                 : image_.convertToFormat(qtFormat(format));
    if (image_.isNull()) throw std::bad_alloc();
}

void TBitmap::layOnBackground(QRgb background) {
    if (format_ != PixelFormat::Bits32) return;
    format_ = PixelFormat::Bits24;
    if (image_.isNull()) return;
    QImage laid(image_.width(), image_.height(), QImage::Format_BGR888);
    if (laid.isNull()) throw std::bad_alloc();
    const int under[3] = {qBlue(background), qGreen(background), qRed(background)};
    for (int y = 0; y < image_.height(); ++y) {
        const uchar* from = image_.constScanLine(y);
        uchar* to = laid.scanLine(y);
        for (int x = 0; x < image_.width(); ++x, from += 4, to += 3) {
            const int alpha = from[3];
            // Rounded exactly: an opaque pixel keeps its bytes, a clear one is the background.
            for (int c = 0; c < 3; ++c)
                to[c] = uchar((from[c] * alpha + under[c] * (255 - alpha) + 127) / 255);
        }
    }
    image_ = std::move(laid);
}

void TBitmap::setPalette(const QList<QRgb>& colors) {
    if (format_ == PixelFormat::Bits8 && !image_.isNull()) image_.setColorTable(colors);
}
