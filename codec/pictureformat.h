#pragma once

#include <QByteArray>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class SrgbTransform;
class TBitmap;

// What a decoder may be asked for; each format reads the fields it needs.
struct DecodeOptions {
    bool bestQuality = false;  // the slower, more exact decode where a format has two
    bool smoothing = false;    // JPEG block smoothing
    bool autoOrient = false;   // turn the picture upright by its EXIF Orientation
    bool toSrgb = false;       // convert embedded ICC colours to sRGB
    bool draft = false;        // decode at the smallest scale still twice the thumbnail
    int thumbnailSize = 32;
    // When set, an RGB photo's sRGB conversion is left to the caller, who gets
    // the transform here (null when there is nothing to convert).
    std::unique_ptr<SrgbTransform>* thumbnailColours = nullptr;
};

// What a writer may be asked for.
struct EncodeOptions {
    int quality = 60;
    bool progressive = false;
    bool optimizeCoding = false;
    bool bestQuality = false;
    bool smoothing = false;
    std::string comment;  // a JPEG comment segment; empty: none
};

// One picture format. Adding a format is one row in the table and its decoder.
struct PictureFormat {
    std::string name;                     // "BMP", "JPEG"
    std::vector<std::string> extensions;  // lower case, with the dot
    // Whether the file's first bytes are this format's.
    bool (*recognises)(std::string_view head) = nullptr;
    // Before the whole file is read: whether head (the file's first bytes) and
    // the file's size describe a file this format can decode.
    bool (*checkStart)(const QByteArray& head, int64_t fileSize, std::string& reason) = nullptr;
    // The file's bytes into a 24-bit bitmap; false with a reason on refusal.
    // May throw the codec's own errors (DecodePicture turns them into reasons).
    bool (*decode)(const QByteArray& bytes, const DecodeOptions& options, TBitmap& bitmap,
                   std::string& reason) = nullptr;
    // The bitmap as a file of this format; null for a format that is not written.
    bool (*encode)(const TBitmap& bitmap, const EncodeOptions& options, QByteArray& bytes,
                   std::string& reason) = nullptr;
};

// Every format read, in the order their names are listed.
const std::vector<PictureFormat>& PictureFormats();

// The format an extension (any case, with the dot) names, or null.
const PictureFormat* FormatOfExtension(std::string_view extension);
// The format a path's extension names, or null.
const PictureFormat* FormatOfPath(std::string_view path);
// The format whose first bytes head holds, or null.
const PictureFormat* FormatOfContent(std::string_view head);
// The JPEG row, which thumbnails are written in.
const PictureFormat& JpegFormat();

// Whether an extension (any case) is one of format's.
bool HasExtension(const PictureFormat& format, std::string_view extension);

// Every extension read, as a file mask: "*.bmp;*.jpg;*.jpeg".
std::string PictureFileMask();
// Every extension read, in words: ".bmp, .jpg or .jpeg".
std::string PictureExtensionWords();

// format's decoder, with codec failures and lack of memory as reasons.
bool DecodePicture(const PictureFormat& format, const QByteArray& bytes,
                   const DecodeOptions& options, TBitmap& bitmap, std::string& reason);
