#pragma once

#include <QByteArray>

#include "codec/pictureformat.h"

class TBitmap;

// What every decoder after JPEG's does with its decoded pixels, as JPEG does:
// converts the colours of an embedded ICC profile (RGB or gray) to sRGB when
// asked, handing a 24-bit picture's transform to the caller when it takes it,
// and turns the picture upright by its EXIF orientation when asked. A 32-bit
// picture keeps its alpha; only its colours change.
void FinishPicture(TBitmap& bitmap, const QByteArray& iccProfile, int orientation,
                   const DecodeOptions& options);

// A library's R, G, B(, A) bytes into the bitmap's B, G, R(, A) order.
void SwapRedAndBlue(TBitmap& bitmap);
