#pragma once

#include <QImage>
#include <QList>
#include <QRgb>

// The program's bitmap: 24 bits per pixel (blue, green, red bytes, rows padded
// to 4 bytes), 8 bits per pixel with a palette, or 32 bits per pixel (blue, green,
// red, alpha bytes; alpha not premultiplied) for pictures with transparency.
// Row 0 is the top row; always reach a row through scanLine().
class TBitmap {
public:
    enum class PixelFormat { Bits8, Bits24, Bits32 };

    TBitmap() = default;
    TBitmap(int width, int height, PixelFormat format = PixelFormat::Bits24);
    // Takes BGR888 or Indexed8 as it is, else converts to 24 bits (alpha dropped,
    // as the BMP reader needs); a 32-bit bitmap is made with the size constructor.
    explicit TBitmap(QImage image);

    int width() const { return image_.width(); }
    int height() const { return image_.height(); }
    bool isEmpty() const { return image_.width() < 1 || image_.height() < 1; }
    PixelFormat pixelFormat() const { return format_; }

    // Keeps the pixel format; the content of a resized bitmap is undefined.
    void setSize(int width, int height);
    // Converts the pixels: 8-bit entries become their palette's blue, green, red;
    // 32-bit pixels going to fewer bits are laid on white first.
    void setPixelFormat(PixelFormat format);
    // 32 bits to 24, each pixel laid on background by its alpha; no-op otherwise.
    void layOnBackground(QRgb background);

    uchar* scanLine(int row) { return image_.scanLine(row); }
    const uchar* scanLine(int row) const { return image_.constScanLine(row); }
    qsizetype bytesPerLine() const { return image_.bytesPerLine(); }

    QList<QRgb> palette() const { return image_.colorTable(); }
    void setPalette(const QList<QRgb>& colors);

    const QImage& image() const { return image_; }
    bool operator==(const TBitmap& other) const = default;

private:
    static QImage::Format qtFormat(PixelFormat format);

    QImage image_;
    PixelFormat format_ = PixelFormat::Bits24;
};
