#include "image/bitmap.h"

#include <new>
#include <utility>

QImage::Format TBitmap::qtFormat(PixelFormat format) {
    return format == PixelFormat::Bits8 ? QImage::Format_Indexed8 : QImage::Format_BGR888;
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
    format_ = format;
    if (image_.isNull()) return;
    if (format == PixelFormat::Bits24) {
        image_ = image_.convertToFormat(QImage::Format_BGR888);
    } else {
        image_ = image_.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
    }
    if (image_.isNull()) throw std::bad_alloc();
}

void TBitmap::setPalette(const QList<QRgb>& colors) {
    if (format_ == PixelFormat::Bits8 && !image_.isNull()) image_.setColorTable(colors);
}
