#include "codec/pictureformat.h"

#include <algorithm>
#include <exception>
#include <new>

#include "codec/bmpdecoder.h"
#include "codec/bmpwriter.h"
#include "codec/graphicerrors.h"
#include "codec/jpegpicture.h"
#include "image/bitmap.h"

namespace {

bool IsBmpStart(std::string_view head) {
    return head.size() >= 2 && head.substr(0, 2) == "BM";
}

bool DecodeBmpPicture(const QByteArray& bytes, const DecodeOptions&, TBitmap& bitmap,
                      std::string& reason) {
    return DecodeBmp(bytes, bitmap, reason);
}

std::vector<PictureFormat> MakeFormats() {
    return {
        {"BMP", {".bmp"}, IsBmpStart, CheckBmpStart, DecodeBmpPicture, EncodeBmp},
        {"JPEG",
         {".jpg", ".jpeg"},
         IsJpegStart,
         CheckJpegStart,
         DecodeJpegPicture,
         EncodeJpegPicture},
    };
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return lower;
}

std::string_view Extension(std::string_view path) {
    const auto dot = path.rfind('.');
    const auto slash = path.rfind('/');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return {};
    return path.substr(dot);
}

}  // namespace

const std::vector<PictureFormat>& PictureFormats() {
    static const std::vector<PictureFormat> formats = MakeFormats();
    return formats;
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
    return FormatOfExtension(Extension(path));
}

const PictureFormat* FormatOfContent(std::string_view head) {
    for (const PictureFormat& format : PictureFormats())
        if (format.recognises(head)) return &format;
    return nullptr;
}

const PictureFormat& JpegFormat() {
    return *FormatOfExtension(".jpg");
}

std::string PictureFileMask() {
    std::string mask;
    for (const PictureFormat& format : PictureFormats())
        for (const std::string& extension : format.extensions)
            mask += (mask.empty() ? "*" : ";*") + extension;
    return mask;
}

std::string PictureExtensionWords() {
    std::vector<std::string> all;
    for (const PictureFormat& format : PictureFormats())
        all.insert(all.end(), format.extensions.begin(), format.extensions.end());
    std::string words;
    for (size_t i = 0; i < all.size(); ++i) {
        if (i > 0) words += i + 1 == all.size() ? " or " : ", ";
        words += all[i];
    }
    return words;
}

bool DecodePicture(const PictureFormat& format, const QByteArray& bytes,
                   const DecodeOptions& options, TBitmap& bitmap, std::string& reason) {
    try {
        return format.decode(bytes, options, bitmap, reason);
    } catch (const EJPEG& e) {
        reason = e.Reason();
    } catch (const std::bad_alloc&) {
        reason = "not enough memory to decode the picture";
    } catch (const std::exception& e) {
        reason = e.what();
    }
    return false;
}
