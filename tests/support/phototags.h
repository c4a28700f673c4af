#pragma once

#include <QByteArray>

class TBitmap;

// Tags of the kind cameras and phones write, put into JPEG bytes, and ICC
// profiles made with LittleCMS's own constructors.

// A copy of jpeg with an APPn segment (marker 0xE0 + n) right after SOI.
QByteArray WithSegment(const QByteArray& jpeg, int marker, const QByteArray& body);
// An "Exif" APP1 body whose IFD0 holds one SHORT Orientation entry.
QByteArray ExifBody(int orientation, bool bigEndian = false);
// A copy of jpeg carrying profile in "ICC_PROFILE" APP2 segments.
QByteArray WithIccProfile(const QByteArray& jpeg, const QByteArray& profile);

QByteArray SrgbProfile();      // cmsCreate_sRGBProfile
QByteArray AdobeRgbProfile();  // Adobe RGB (1998) primaries, D65, gamma 563/256
// sRGB primaries and curve, the curve as a 1024-entry table as in older
// profiles: acts as sRGB, but is not LittleCMS's own.
QByteArray TabulatedSrgbProfile();
QByteArray GrayProfile(double gamma);  // D65 white
// A CMYK profile that gives the naive reading of the inks with red and blue
// swapped (white stays white): plainly not the naive conversion.
QByteArray SwappedCmykProfile();

// The bitmap's sRGB colours expressed in profile's RGB space (24-bit, B, G, R).
TBitmap FromSrgb(const TBitmap& bitmap, const QByteArray& profile);
// Mean absolute difference of all bytes of two 24-bit bitmaps of equal size.
double MeanDifference(const TBitmap& a, const TBitmap& b);
