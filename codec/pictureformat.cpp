#include "codec/pictureformat.h"

#include <algorithm>
#include <exception>
#include <new>

#include "codec/avifwriter.h"
#include "codec/bmpdecoder.h"
#include "codec/bmpwriter.h"
#include "codec/gifdecoder.h"
#include "codec/graphicerrors.h"
#include "codec/heifdecoder.h"
#include "codec/jpegcomment.h"
#include "codec/jpegpicture.h"
#include "codec/jxldecoder.h"
#include "codec/pngdecoder.h"
#include "codec/pngwriter.h"
#include "codec/rawdecoder.h"
#include "codec/tiffdecoder.h"
#include "codec/webpdecoder.h"
#include "codec/webpwriter.h"
#include "image/bitmap.h"
#include "platform/pathname.h"
#include "platform/wordlist.h"

namespace {

bool IsBmpStart(std::string_view head) {
    return head.size() >= 2 && head.substr(0, 2) == "BM";
}

bool DecodeBmpPicture(const QByteArray& bytes, const DecodeOptions&, TBitmap& bitmap,
                      std::string& reason) {
    return DecodeBmp(bytes, bitmap, reason);
}

// Rows without a decoder are written only.
std::vector<PictureFormat> MakeRows() {
    return {
        {"BMP", {".bmp"}, IsBmpStart, CheckBmpStart, DecodeBmpPicture, EncodeBmp},
        {"JPEG",
         {".jpg", ".jpeg"},
         IsJpegStart,
         CheckJpegStart,
         DecodeJpegPicture,
         EncodeJpegPicture,
         false,
         true,
         ReadJpegComment},
        {"HEIF", {".heic", ".heif", ".hif"}, IsHeifStart, CheckHeifStart, DecodeHeifPicture},
        {"AVIF",
         {".avif"},
         IsAvifStart,
         CheckHeifStart,
         DecodeHeifPicture,
         EncodeAvif,
         true,
         true,
         ReadAvifComment},
        {"JPEG XL", {".jxl"}, IsJxlStart, nullptr, DecodeJxl},
        // Before any TIFF row: CR2 and DNG files are TIFF files too.
        {.name = "RAW",
         .extensions = {".cr2", ".cr3", ".nef", ".arw", ".raf", ".orf", ".rw2", ".dng"},
         .recognises = IsRawStart,
         .checkStart = CheckRawStart,
         .decode = DecodeRawPicture,
         .startsAs = "TIFF"},
        {"PNG", {".png"}, IsPngStart, nullptr, DecodePng, EncodePng, true, false, ReadPngComment},
        {"WebP",
         {".webp"},
         IsWebpStart,
         nullptr,
         DecodeWebp,
         EncodeWebp,
         true,
         true,
         ReadWebpComment},
        {"GIF", {".gif"}, IsGifStart, nullptr, DecodeGif},
        {"TIFF", {".tif", ".tiff"}, IsTiffStart, nullptr, DecodeTiff},
    };
}

template <typename Wanted>
std::vector<PictureFormat> RowsWhere(Wanted wanted) {
    std::vector<PictureFormat> chosen;
    for (PictureFormat& row : MakeRows())
        if (wanted(row)) chosen.push_back(std::move(row));
    return chosen;
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = AsciiLower(c);
    return lower;
}

}  // namespace

std::string_view PathExtension(std::string_view path) {
    const auto dot = path.rfind('.');
    const auto slash = path.rfind('/');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return {};
    return path.substr(dot);
}

const std::vector<PictureFormat>& PictureFormats() {
    static const std::vector<PictureFormat> formats =
        RowsWhere([](const PictureFormat& row) { return row.decode != nullptr; });
    return formats;
}

const std::vector<PictureFormat>& OutputFormats() {
    static const std::vector<PictureFormat> formats =
        RowsWhere([](const PictureFormat& row) { return row.encode != nullptr; });
    return formats;
}

const PictureFormat* OutputFormatNamed(std::string_view name) {
    for (const PictureFormat& format : OutputFormats())
        if (Lower(format.name) == Lower(name)) return &format;
    return nullptr;
}

const PictureFormat* OutputFormatOfPath(std::string_view path) {
    for (const PictureFormat& format : OutputFormats())
        if (HasExtension(format, PathExtension(path))) return &format;
    return nullptr;
}

bool HasExtension(const PictureFormat& format, std::string_view extension) {
    const std::string lower = Lower(extension);
    return std::find(format.extensions.begin(), format.extensions.end(), lower) !=
           format.extensions.end();
}

const PictureFormat* FormatOfExtension(std::string_view extension) {
    for (const PictureFormat& format : PictureFormats())
        if (HasExtension(format, extension)) return &format;
    return nullptr;
}

const PictureFormat* FormatOfPath(std::string_view path) {
    return FormatOfExtension(PathExtension(path));
}

const PictureFormat* FormatOfContent(std::string_view head, const PictureFormat* byName) {
    for (const PictureFormat& format : PictureFormats()) {
        if (!format.recognises(head)) continue;
        if (byName != nullptr && !byName->startsAs.empty() && byName->startsAs == format.name)
            return byName;
        return &format;
    }
    return nullptr;
}

const PictureFormat& JpegFormat() {
    return *FormatOfExtension(".jpg");
}

std::vector<std::string> PictureExtensions() {
    std::vector<std::string> all;
    for (const PictureFormat& format : PictureFormats())
        all.insert(all.end(), format.extensions.begin(), format.extensions.end());
    return all;
}

std::string FileMask(const std::vector<std::string>& extensions) {
    std::string mask;
    for (const std::string& extension : extensions) mask += (mask.empty() ? "*" : ";*") + extension;
    return mask;
}

std::string PictureFileMask() {
    return FileMask(PictureExtensions());
}

std::string PictureExtensionWords() {
    return WordList(PictureExtensions());
}

std::string PictureFormatWords() {
    std::vector<std::string> names;
    for (const PictureFormat& format : PictureFormats()) names.push_back(format.name);
    return WordList(names);
}

bool CheckFormatStart(const PictureFormat& format, const QByteArray& head, int64_t fileSize,
                      std::string& reason) {
    if (format.checkStart != nullptr) return format.checkStart(head, fileSize, reason);
    if (format.recognises(std::string_view(head.constData(), size_t(head.size())))) return true;
    reason = "not a " + format.name + " file";
    return false;
}

bool DecodePicture(const PictureFormat& format, const QByteArray& bytes,
                   const DecodeOptions& options, TBitmap& bitmap, std::string& reason) {
    try {
        if (!format.decode(bytes, options, bitmap, reason)) return false;
        // A header of 0 x 0 pixels that a library lets through is no picture.
        if (!bitmap.isEmpty()) return true;
        reason = "empty picture";
        return false;
    } catch (const EJPEG& e) {
        reason = e.Reason();
    } catch (const std::bad_alloc&) {
        reason = "not enough memory to decode the picture";
    } catch (const std::exception& e) {
        reason = e.what();
    }
    return false;
}
