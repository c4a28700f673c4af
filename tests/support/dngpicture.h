#pragma once

#include <QByteArray>

// A minimal DNG file, written with libtiff: IFD0 holds the preview (a JPEG
// stream stored as one strip) with the DNG tags and the file's Orientation,
// and a SubIFD holds a blank 16-bit CFA picture larger than the preview, as
// cameras store them. An empty preview leaves the file without one; a
// bitmapPreview stores an uncompressed RGB preview instead of the JPEG one.
struct DngRecipe {
    QByteArray jpegPreview;
    int previewWidth = 0;
    int previewHeight = 0;
    int orientation = 1;  // TIFF Orientation of IFD0
    bool bitmapPreview = false;
};

QByteArray MakeDng(const DngRecipe& recipe);
