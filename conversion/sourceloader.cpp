#include "conversion/sourceloader.h"

#include <algorithm>

#include "codec/bmpheader.h"
#include "codec/decodebudget.h"
#include "codec/jpegimage.h"
#include "codec/pictureformat.h"
#include "codec/srgbtransform.h"
#include "conversion/runhost.h"
#include "conversion/runstate.h"
#include "image/bitmap.h"
#include "platform/dosdatetime.h"
#include "platform/filereader.h"
#include "platform/filestatus.h"

namespace {

// Enough for the headers of any BMP or JPEG file, and for recognising any format.
constexpr int64_t kHeadBytes = 65536;

std::string Mebibytes(int64_t bytes) {
    return std::to_string((bytes + (int64_t{1} << 20) - 1) >> 20) + " MiB";
}

// The format of a file with these first bytes, when its content decides.
const PictureFormat* FormatOfHead(const PictureFormat* byName, const QByteArray& head,
                                  std::string& reason) {
    const PictureFormat* format =
        FormatOfContent(std::string_view(head.constData(), size_t(head.size())), byName);
    if (format == nullptr)
        reason = "not a picture: its first bytes are those of no " + PictureFormatWords() + " file";
    return format;
}

// Reads what the file's first bytes allow before reading all of it: a file
// over the size limit, a file of no format read (byContent), headers the
// format's start check refuses (a BMP whose headers promise more than the
// file holds, a ".jpg" that is not a JPEG file). byContent replaces format
// by the one the first bytes give.
bool ReadSource(const std::string& path, int64_t size, bool byContent, const PictureFormat*& format,
                QByteArray& bytes, std::string& reason) {
    if (size > kMaxSourceBytes) {
        reason = "file too large (" + Mebibytes(size) + "; a picture file may have at most " +
                 Mebibytes(kMaxSourceBytes) + ")";
        return false;
    }
    FileReader file(path);
    QByteArray head;
    if (!file.isOpen() || !file.read(std::min(size, kHeadBytes), head)) {
        reason = file.error();
        return false;
    }
    if (byContent) format = FormatOfHead(format, head, reason);
    if (format == nullptr || !CheckFormatStart(*format, head, size, reason)) return false;
    if (size <= kHeadBytes) {
        bytes = std::move(head);
        return true;
    }
    if (!file.read(size, bytes)) {
        reason = file.error();
        return false;
    }
    return true;
}

// What decoding may take at most: for a JPEG file a progressive file's
// coefficients (2 bytes a sample, colour at full resolution) and the bitmap
// at full size; for a BMP file the bitmap and a run-length file's index
// plane; for another format all that one decode may take.
int64_t DecodeCost(const PictureFormat& format, const QByteArray& bytes) {
    if (format.name == "JPEG") {
        try {
            TJPEGImage jpeg;
            jpeg.LoadFromBytes(bytes);  // the header only
            return int64_t{jpeg.Width()} * jpeg.Height() * 9;
        } catch (...) {
            return 0;  // refused when decoded
        }
    }
    if (format.name == "BMP") {
        BmpHeader header;
        std::string ignored;
        if (!ParseBmpHeader(bytes, header, ignored)) return 0;
        const int64_t width = header.width < 0 ? -header.width : header.width;
        return ((width * 3 + 3) / 4 * 4 + width) * header.rows();
    }
    return DecodeBudgetBytes();
}

bool Fail(std::string* reason, const std::string& text) {
    if (reason != nullptr) *reason = text;
    return false;
}

}  // namespace

LoadChoices LoadChoices::Of(RunHost& host, const std::string& path) {
    LoadChoices choices;
    choices.decode.bestQuality = host.bestQuality();
    choices.decode.smoothing = host.smoothing();
    choices.decode.autoOrient = host.autoOrient();
    choices.decode.toSrgb = host.toSrgb();
    choices.decode.draft = host.draftDecode();
    choices.decode.thumbnailSize = host.thumbnailSize();
    choices.everyFormat = host.everyFormat();
    const PictureFormat* format = FormatOfPath(path);
    choices.readsSource = format != nullptr && host.readsSource(path, *format);
    return choices;
}

bool LoadSourceFile(TBitmap& bitmap, const std::string& path, RunState& state, RunHost& host,
                    std::string* reason, std::unique_ptr<SrgbTransform>* thumbnailColours,
                    const DecodeAdmission* admit) {
    return LoadSourceFile(bitmap, path, state, LoadChoices::Of(host, path), reason,
                          thumbnailColours, admit);
}

bool LoadSourceFile(TBitmap& bitmap, const std::string& path, RunState& state,
                    const LoadChoices& choices, std::string* reason,
                    std::unique_ptr<SrgbTransform>* thumbnailColours,
                    const DecodeAdmission* admit) {
    if (thumbnailColours != nullptr) thumbnailColours->reset();
    const auto status = StatPath(path);
    if (!status) return Fail(reason, StatFailure(path));
    if (status->kind != FileStatus::Kind::File) return Fail(reason, "not a file");
    const auto age = DosDateTimeFromTime(status->modified.tv_sec);
    if (!age) return Fail(reason, "file dated before 1980 or after 2107");

    bitmap.setPixelFormat(TBitmap::PixelFormat::Bits24);
    const PictureFormat* format = FormatOfPath(path);
    if (format == nullptr) return Fail(reason, "not a " + PictureExtensionWords() + " file");
    if (!choices.readsSource) return Fail(reason, format->name + " files are not read here");

    QByteArray bytes;
    std::string why;
    if (!ReadSource(path, status->size, choices.everyFormat, format, bytes, why))
        return Fail(reason, why);
    if (admit != nullptr && !(*admit)(DecodeCost(*format, bytes)))
        return Fail(reason, "no memory left to decode it now");
    DecodeOptions options = choices.decode;
    options.thumbnailColours = thumbnailColours;
    if (!DecodePicture(*format, bytes, options, bitmap, why)) return Fail(reason, why);

    state.SourceFileAge = *age;
    return true;
}
