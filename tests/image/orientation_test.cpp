#include "image/orientation.h"

#include <gtest/gtest.h>

#include <string>

#include "image/bitmap.h"

namespace {

int BytesOf(TBitmap::PixelFormat format) {
    return format == TBitmap::PixelFormat::Bits8    ? 1
           : format == TBitmap::PixelFormat::Bits32 ? 4
                                                    : 3;
}

// The picture   a b c   with one letter per pixel, in every channel.
//               d e f
TBitmap Stored(TBitmap::PixelFormat format) {
    TBitmap bitmap(3, 2, format);
    if (format == TBitmap::PixelFormat::Bits8) {
        QList<QRgb> gray;
        for (int i = 0; i < 256; ++i) gray.append(qRgb(i, i, i));
        bitmap.setPalette(gray);
    }
    const int bytes = BytesOf(format);
    const char* letters = "abcdef";
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            for (int c = 0; c < bytes; ++c)
                bitmap.scanLine(y)[x * bytes + c] = uchar(letters[y * 3 + x]);
    return bitmap;
}

// Rows separated by "/".
std::string Letters(const TBitmap& bitmap) {
    const int bytes = BytesOf(bitmap.pixelFormat());
    std::string text;
    for (int y = 0; y < bitmap.height(); ++y) {
        if (y > 0) text += '/';
        for (int x = 0; x < bitmap.width(); ++x) {
            const uchar* p = bitmap.scanLine(y) + x * bytes;
            for (int c = 1; c < bytes; ++c)
                if (p[c] != p[0]) return "channels differ";
            text += char(p[0]);
        }
    }
    return text;
}

}  // namespace

// What a viewer shows for each EXIF Orientation of the stored picture.
TEST(Orientation, EveryValueTurnsThePictureUpright) {
    const struct {
        int orientation;
        const char* upright;
    } rows[] = {
        {0, "abc/def"},  {1, "abc/def"},  {2, "cba/fed"},  {3, "fed/cba"},
        {4, "def/abc"},  {5, "ad/be/cf"}, {6, "da/eb/fc"}, {7, "fc/eb/da"},
        {8, "cf/be/ad"}, {9, "abc/def"},  {-1, "abc/def"},
    };
    for (const auto format : {TBitmap::PixelFormat::Bits24, TBitmap::PixelFormat::Bits8,
                              TBitmap::PixelFormat::Bits32}) {
        for (const auto& r : rows) {
            TBitmap bitmap = Stored(format);
            TurnUpright(bitmap, r.orientation);
            EXPECT_EQ(Letters(bitmap), r.upright) << "orientation " << r.orientation;
            EXPECT_EQ(bitmap.pixelFormat(), format);
            EXPECT_EQ(bitmap.palette(), Stored(format).palette());
        }
    }
}

TEST(Orientation, EmptyBitmapStaysEmpty) {
    TBitmap bitmap;
    TurnUpright(bitmap, 6);
    EXPECT_TRUE(bitmap.isEmpty());
}
