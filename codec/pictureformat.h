#pragma once

#include <QByteArray>
#include <cstdint>
#include <memory>
#include <optional>
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

    bool operator==(const DecodeOptions&) const = default;
};

// What a writer may be asked for.
struct EncodeOptions {
    int quality = 60;
    bool progressive = false;
    bool optimizeCoding = false;
    bool bestQuality = false;
    bool smoothing = false;
    std::string comment;  // a record kept in the file (a JPEG COM segment); empty: none
};

// One picture format. Adding a format is one row in the table and its decoder.
struct PictureFormat {
    std::string name;                     // "BMP", "JPEG"
    std::vector<std::string> extensions;  // lower case, with the dot
    // Whether the file's first bytes are this format's.
    bool (*recognises)(std::string_view head) = nullptr;
    // Before the whole file is read: whether head (the file's first bytes) and
    // the file's size describe a file this format can decode. Null: whether
    // it recognises head (CheckFormatStart).
    bool (*checkStart)(const QByteArray& head, int64_t fileSize, std::string& reason) = nullptr;
    // The file's bytes into a 24-bit bitmap (32-bit with straight alpha for a
    // picture with transparency); false with a reason on refusal.
    // May throw the codec's own errors (DecodePicture turns them into reasons).
    bool (*decode)(const QByteArray& bytes, const DecodeOptions& options, TBitmap& bitmap,
                   std::string& reason) = nullptr;
    // The bitmap as a file of this format; null for a format that is not written.
    bool (*encode)(const TBitmap& bitmap, const EncodeOptions& options, QByteArray& bytes,
                   std::string& reason) = nullptr;
    // Whether the writer keeps a 32-bit bitmap's alpha; else it is laid on a background.
    bool writesAlpha = false;
    // Whether the writer's quality setting changes its output.
    bool lossyQuality = false;
    // The record (EncodeOptions::comment) starting with prefix in the file at
    // path; none for a missing file, another format or no such record.
    std::optional<std::string> (*readComment)(const std::string& path,
                                              std::string_view prefix) = nullptr;
    // The format whose first bytes this one's files may have, so that only
    // their name tells them apart (NEF and ARW files are plain TIFF files).
    std::string_view startsAs = {};
};

// Every format read, in the order their names are listed.
const std::vector<PictureFormat>& PictureFormats();

// From the last "." that stands after every "/" to the end, as written; empty
// when there is none.
std::string_view PathExtension(std::string_view path);

// The format an extension (any case, with the dot) names, or null.
const PictureFormat* FormatOfExtension(std::string_view extension);
// The format a path's extension names, or null.
const PictureFormat* FormatOfPath(std::string_view path);
// The format whose first bytes head holds, or null. With the format the
// file's name gives, a name whose format starts as the content's wins.
const PictureFormat* FormatOfContent(std::string_view head, const PictureFormat* byName = nullptr);
// The JPEG row, which thumbnails are written in by default.
const PictureFormat& JpegFormat();

// Every format written, and the one a name (any case: "png") or a path's
// extension names, or null.
const std::vector<PictureFormat>& OutputFormats();
const PictureFormat* OutputFormatNamed(std::string_view name);
const PictureFormat* OutputFormatOfPath(std::string_view path);

// Whether an extension (any case) is one of format's.
bool HasExtension(const PictureFormat& format, std::string_view extension);

// Every extension read, as a file mask: "*.bmp;*.jpg;*.jpeg;...".
std::string PictureFileMask();
// Every extension read, lower case, in the table's order.
std::vector<std::string> PictureExtensions();
// Extensions as a file mask.
std::string FileMask(const std::vector<std::string>& extensions);
// Every extension read, in words: ".bmp, .jpg or .jpeg".
std::string PictureExtensionWords();
// Every format read, in words: "BMP, JPEG, PNG, WebP, GIF or TIFF".
std::string PictureFormatWords();

// The format's checkStart, or else whether it recognises head, and if not
// "not a <name> file".
bool CheckFormatStart(const PictureFormat& format, const QByteArray& head, int64_t fileSize,
                      std::string& reason);

// format's decoder, with codec failures, lack of memory and a picture without
// pixels as reasons: true only with a picture in bitmap.
bool DecodePicture(const PictureFormat& format, const QByteArray& bytes,
                   const DecodeOptions& options, TBitmap& bitmap, std::string& reason);
