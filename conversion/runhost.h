#pragma once

#include <cstdint>
#include <string>

struct PictureFormat;

// What a conversion run asks of whoever drives it, at the moment it needs the
// answer: the main window answers from its live controls, tests and the batch
// command from their own values. Paths, prefix
// and suffix are the file system's bytes; other texts are UTF-8.
class RunHost {
public:
    virtual ~RunHost() = default;

    virtual int thumbnailSize() = 0;        // longer side of a thumbnail
    virtual int jpegQuality() = 0;          // 20..100
    virtual bool bestQuality() = 0;         // accurate inverse DCT when decoding
    virtual bool smoothing() = 0;           // block smoothing when decoding
    virtual bool progressive() = 0;         // progressive JPEG output
    virtual bool keepDate() = 0;            // give thumbnails their source's time
    virtual bool autoOrient() = 0;          // turn JPEG photos upright by their EXIF tag
    virtual bool toSrgb() = 0;              // convert JPEG photos' ICC colours to sRGB
    virtual std::string prefix() = 0;       // put before the source's name
    virtual std::string suffix() = 0;       // put after it
    virtual std::string destination() = 0;  // folder ending with "/", or empty

    // Choices of the batch command that the window does not offer.
    virtual bool optimizeCoding() { return false; }  // optimised Huffman tables
    // Decode JPEG sources at the smallest scale that keeps the longer side at
    // least twice the thumbnail's, instead of near 2000.
    virtual bool draftDecode() { return false; }
    // Threads that load and decode the next files while the run scales and
    // writes the current one; 0 loads each file when the run reaches it.
    virtual int decodeAheadWorkers() { return 0; }
    // Read every format of the table, each file by its first bytes, rather
    // than BMP and JPEG files by their extension.
    virtual bool everyFormat() { return false; }
    // A JPEG comment for the thumbnail of source; empty writes none.
    virtual std::string thumbnailComment(const std::string& /*source*/) { return {}; }
    // The thumbnails' format; null: JPEG.
    virtual const PictureFormat* outputFormat() { return nullptr; }
    // Where source's thumbnail goes, in outputFormat(). By default the file
    // named from destination, prefix and suffix.
    virtual std::string outputPath(const std::string& source);
    // Whether a picture smaller than the thumbnail size is made larger.
    virtual bool enlarge() { return true; }
    // The colour (0xRRGGBB) under transparent pixels in a thumbnail without alpha.
    virtual uint32_t background() { return 0xffffff; }
    // Whether source, found to be of format, is read; the others are refused.
    virtual bool readsSource(const std::string& /*source*/, const PictureFormat& /*format*/) {
        return true;
    }

    virtual void setProgress(int position) = 0;             // 0..1000
    virtual void pump() = 0;                                // let the window handle its events
    virtual void showMessage(const std::string& text) = 0;  // modal, the program's title
};
