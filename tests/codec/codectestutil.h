#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include "image/bitmap.h"
#include "tests/support/filebytes.h"
#include "tests/support/imagecompare.h"

// A file of the public JPEG samples, e.g. "testorig.jpg" or "derived/bad_empty.jpg".
QString JpegSample(const QString& name);

// A binary PPM (P6) or PGM (P5) file as a 24-bit bitmap.
TBitmap ReadPnm(const QString& path);

// Encodes through TJPEGImage.
QByteArray EncodeJpeg(const TBitmap& bitmap, int quality, bool progressive = false);

// The marker segments before the first scan: marker byte and body (without
// the length field).
struct JpegSegment {
    int marker;
    QByteArray body;
};
QList<JpegSegment> HeaderSegments(const QByteArray& jpeg);
// Offset just past the first SOS segment (where the scan data begins).
qsizetype ScanDataOffset(const QByteArray& jpeg);
// A copy with the frame's width and height replaced.
QByteArray WithFrameSize(const QByteArray& jpeg, int width, int height);

// Four flat quadrants (red, green, blue, gray from top left, clockwise), or
// with alpha a 32-bit bitmap whose quadrants are opaque, half, clear and opaque.
TBitmap Quadrants(int width, int height, bool alpha = false);
// The mean colour (qRgba) of a 5 x 5 patch at the centre of one quadrant
// (0 top left, 1 top right, 2 bottom right, 3 bottom left).
QRgb QuadrantColour(const TBitmap& bitmap, int quadrant);
// Whether every channel of two colours lies within tolerance.
bool CloseColours(QRgb a, QRgb b, int tolerance);
