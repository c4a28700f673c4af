#include "codec/jpegcolor.h"

QList<QRgb> PaletteFromColormap(const unsigned char* const* colormap, int count, int components) {
    QList<QRgb> palette;
    palette.reserve(count);
    for (int i = 0; i < count; ++i) {
        if (components == 1) {
            palette.append(qRgb(colormap[0][i], colormap[0][i], colormap[0][i]));
        } else {
            palette.append(qRgb(colormap[2][i], colormap[1][i], colormap[0][i]));
        }
    }
    return palette;
}

void CmykRowToBgr(const unsigned char* cmyk, unsigned char* bgr, int width, bool inverted,
                  bool gray) {
    // With inverted samples each of C, M, Y times K over 255 is the light left
    // of red, green, blue.
    const unsigned flip = inverted ? 0 : 255;
    for (int x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
        const unsigned k = cmyk[3] ^ flip;
        const unsigned r = ((cmyk[0] ^ flip) * k + 127) / 255;
        const unsigned g = ((cmyk[1] ^ flip) * k + 127) / 255;
        const unsigned b = ((cmyk[2] ^ flip) * k + 127) / 255;
        if (gray) {
            const auto y = static_cast<unsigned char>((r * 77 + g * 150 + b * 29 + 128) >> 8);
            bgr[0] = bgr[1] = bgr[2] = y;
        } else {
            bgr[0] = static_cast<unsigned char>(b);
            bgr[1] = static_cast<unsigned char>(g);
            bgr[2] = static_cast<unsigned char>(r);
        }
    }
}

QList<QRgb> HalftonePalette() {
    QList<QRgb> palette;
    palette.reserve(256);
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b) palette.append(qRgb(r * 51, g * 51, b * 51));
    // The grays between the cube's own, darkest first.
    for (int i = 0; i < 40; ++i) {
        const int v = (i + 1) * 255 / 41;
        palette.append(qRgb(v, v, v));
    }
    return palette;
}
