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
