#include "tests/cli/batchtestpictures.h"

#include <QImage>
#include <QImageWriter>
#include <fstream>
#include <iterator>

#include "codec/jpegimage.h"
#include "image/bitmap.h"

namespace {

TBitmap Picture(int width, int height, int seed) {
    TBitmap bitmap(width, height);
    for (int y = 0; y < height; ++y) {
        uchar* row = bitmap.scanLine(y);
        for (int x = 0; x < width; ++x) {
            row[x * 3] = uchar((x * (seed + 3)) / 7 + y / 3);
            row[x * 3 + 1] = uchar((y * (seed + 5)) / 9 + (x ^ y) % 31);
            row[x * 3 + 2] = uchar((x + y) * seed / 11);
        }
    }
    return bitmap;
}

}  // namespace

std::vector<std::string> MakeBatchPictures(const std::string& folder, int count) {
    static const int kSizes[][2] = {{640, 480}, {37, 91},   {2100, 900},
                                    {1, 1},     {300, 300}, {120, 4000}};
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i) {
        const int width = kSizes[i % 6][0];
        const int height = kSizes[i % 6][1];
        const TBitmap picture = Picture(width, height, i + 1);
        const bool bmp = i % 3 == 1;
        const std::string name =
            (i % 5 == 0 ? "写真" : "pic") + std::to_string(i) + (bmp ? ".bmp" : ".JPG");
        const std::string path = folder + "/" + name;
        if (bmp) {
            QImageWriter(QString::fromStdString(path), "bmp").write(picture.image());
        } else {
            TJPEGImage jpeg;
            jpeg.Assign(picture);
            jpeg.SetEncodeQuality(85);
            jpeg.SetProgressiveWrite(i % 4 == 0);
            jpeg.SaveToFile(QString::fromStdString(path));
        }
        paths.push_back(path);
    }
    return paths;
}
