#include "tests/conversion/conversiontesthost.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <QImageWriter>

#include "codec/jpegimage.h"

TBitmap TestPicture(int width, int height, int seed) {
    TBitmap bitmap(width, height);
    for (int y = 0; y < height; ++y) {
        uchar* row = bitmap.scanLine(y);
        for (int x = 0; x < width; ++x) {
            row[x * 3] = uchar(x * 7 + seed);
            row[x * 3 + 1] = uchar(y * 5 + (x ^ y));
            row[x * 3 + 2] = uchar((x + y) * 3 + seed * 11);
        }
    }
    return bitmap;
}

TBitmap PlainPicture(int width, int height, int blue, int green, int red) {
    TBitmap bitmap(width, height);
    for (int y = 0; y < height; ++y) {
        uchar* row = bitmap.scanLine(y);
        for (int x = 0; x < width; ++x) {
            row[x * 3] = uchar(blue);
            row[x * 3 + 1] = uchar(green);
            row[x * 3 + 2] = uchar(red);
        }
    }
    return bitmap;
}

void SaveBmp(const TBitmap& bitmap, const std::string& path) {
    QImageWriter writer(QString::fromStdString(path), "bmp");
    ASSERT_TRUE(writer.write(bitmap.image())) << path;
}

void SaveJpeg(const TBitmap& bitmap, const std::string& path, int quality) {
    TJPEGImage jpeg;
    jpeg.Assign(bitmap);
    jpeg.SetEncodeQuality(quality);
    jpeg.SaveToFile(QString::fromStdString(path));
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    ASSERT_TRUE(WriteFileBytes(path, bytes)) << path;
}

void SetModified(const std::string& path, time_t t) {
    const timespec times[2] = {{0, UTIME_OMIT}, {t, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

time_t Modified(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return -1;
    return st.st_mtim.tv_sec;
}

time_t FineNow() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return now.tv_sec;
}
