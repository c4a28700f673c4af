#pragma once

#include <QList>
#include <QRgb>

// Colour helpers of the JPEG decoder.

// The palette of a decoder's colour map: one component is gray, three are
// blue, green, red (components 0, 1, 2).
QList<QRgb> PaletteFromColormap(const unsigned char* const* colormap, int count, int components);

// Converts a row of CMYK samples to blue, green, red. inverted: the samples are
// stored as Adobe writes them (255 = no ink). gray: write the luminance to all
// three bytes.
void CmykRowToBgr(const unsigned char* cmyk, unsigned char* bgr, int width, bool inverted,
                  bool gray);

// A fixed palette covering the colour cube, for screens of 8 bits or fewer.
QList<QRgb> HalftonePalette();
