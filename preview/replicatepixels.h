#pragma once

#include <QImage>

class TBitmap;

// The bitmap enlarged factor times in both directions, every pixel becoming a
// factor x factor block of its own colour: no smoothing. An empty bitmap gives
// an empty picture. 24 bits per pixel (blue, green, red).
QImage ReplicatePixels(const TBitmap& bitmap, int factor);
