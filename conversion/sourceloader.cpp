#include "conversion/sourceloader.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <new>

#include "codec/graphicerrors.h"
#include "codec/jpegimage.h"
#include "codec/srgbtransform.h"
#include "conversion/bmpdecoder.h"
#include "conversion/bmpheader.h"
#include "conversion/jpegoptions.h"
#include "conversion/outputname.h"
#include "conversion/runhost.h"
#include "conversion/runstate.h"
#include "image/bitmap.h"
#include "image/orientation.h"
#include "platform/dosdatetime.h"
#include "platform/filereader.h"
#include "platform/filestatus.h"

namespace {

constexpr const char* kNotAdmitted = "no memory left to decode it now";

// Enough for the headers of any BMP or JPEG file.
constexpr int64_t kHeadBytes = 65536;

std::string Mebibytes(int64_t bytes) {
    return std::to_string((bytes + (int64_t{1} << 20) - 1) >> 20) + " MiB";
}

// Reads what the file's first bytes allow before reading all of it: a file
// over the size limit, a BMP whose headers promise more than the file holds
// or more pixels than a picture may have, a ".jpg" that is not a JPEG file.
bool ReadSource(const std::string& path, int64_t size, bool bmp, QByteArray& bytes,
                std::string& reason) {
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
    if (bmp && !CheckBmpStart(head, size, reason)) return false;
    if (!bmp && !head.startsWith("\xFF\xD8")) {
        // In the library's own words, as a decode would have refused it.
        char text[64];
        std::snprintf(text, sizeof text, "Not a JPEG file: starts with 0x%02x 0x%02x",
                      head.size() > 0 ? uchar(head[0]) : 0, head.size() > 1 ? uchar(head[1]) : 0);
        reason = text;
        return false;
    }
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

// The reduction that keeps the longer side of a decoded picture near or below 2000.
JpegDecodeScale ScaleForSide(int longer) {
    if (longer >= 8000) return JpegDecodeScale::ScaleEighth;
    if (longer >= 4000) return JpegDecodeScale::ScaleQuarter;
    if (longer >= 2000) return JpegDecodeScale::ScaleHalf;
    return JpegDecodeScale::ScaleFull;
}

// The smallest reduction whose longer side (rounded up, as the library does)
// is still at least twice the thumbnail's.
JpegDecodeScale DraftScale(int longer, int thumbnailSize) {
    for (const JpegDecodeScale scale : {JpegDecodeScale::ScaleEighth, JpegDecodeScale::ScaleQuarter,
                                        JpegDecodeScale::ScaleHalf}) {
        const int divisor = 1 << static_cast<int>(scale);
        if ((longer + divisor - 1) / divisor >= 2 * thumbnailSize) return scale;
    }
    return JpegDecodeScale::ScaleFull;
}

// What decoding a picture of this size may take at most: a progressive file's
// coefficients (2 bytes a sample, colour at full resolution) and the bitmap.
int64_t DecodeBytes(int width, int height, JpegDecodeScale scale) {
    const int64_t divisor = int64_t{1} << static_cast<int>(scale);
    const int64_t pixels = int64_t{width} * height;
    return pixels * 6 + (width / divisor + 1) * (height / divisor + 1) * 3;
}

// The 24-bit bitmap and, for a run-length coded file, its index plane.
int64_t BmpDecodeBytes(const QByteArray& bytes) {
    BmpHeader header;
    std::string ignored;
    if (!ParseBmpHeader(bytes, header, ignored)) return 0;  // refused when decoded
    const int64_t width = header.width < 0 ? -header.width : header.width;
    return ((width * 3 + 3) / 4 * 4 + width) * header.rows();
}

bool Admitted(const DecodeAdmission* admit, int64_t bytes) {
    return admit == nullptr || (*admit)(bytes);
}

// Codec failures throw; the caller turns them into a refusal.
bool DecodeJpeg(const QByteArray& bytes, TBitmap& bitmap, RunHost& host,
                std::unique_ptr<SrgbTransform>* thumbnailColours, const DecodeAdmission* admit) {
    TJPEGImage jpeg;
    ApplyDecodeSettings(jpeg, host);
    jpeg.LoadFromBytes(bytes);
    const bool toSrgb = host.toSrgb();
    // Gray pictures convert their palette and CMYK ones their samples as they
    // decode, both as cheap as it gets; RGB ones can wait for the thumbnail.
    const bool later = toSrgb && thumbnailColours != nullptr && !jpeg.Grayscale() && !jpeg.Cmyk();
    if (later)
        *thumbnailColours = SrgbTransform::Make(jpeg.IccProfile(), SrgbTransform::Input::Bgr);
    jpeg.SetSrgbOutput(toSrgb && !later);
    const int longer = std::max(jpeg.Height(), jpeg.Width());
    const JpegDecodeScale scale =
        host.draftDecode() ? DraftScale(longer, host.thumbnailSize()) : ScaleForSide(longer);
    if (!Admitted(admit, DecodeBytes(jpeg.Width(), jpeg.Height(), scale))) return false;
    if (scale != JpegDecodeScale::ScaleFull) {
        // Loaded again, so that the header is read for the chosen scale.
        jpeg.SetDecodeScale(scale);
        jpeg.LoadFromBytes(bytes);
    }
    jpeg.AssignTo(bitmap);
    // Grayscale files decode to 8 bits with a gray palette.
    bitmap.setPixelFormat(TBitmap::PixelFormat::Bits24);
    // Before scaling, so that the thumbnail is that of the upright picture.
    if (host.autoOrient()) TurnUpright(bitmap, jpeg.Orientation());
    return true;
}

bool Fail(std::string* reason, const std::string& text) {
    if (reason != nullptr) *reason = text;
    return false;
}

}  // namespace

bool LoadSourceFile(TBitmap& bitmap, const std::string& path, RunState& state, RunHost& host,
                    std::string* reason, std::unique_ptr<SrgbTransform>* thumbnailColours,
                    const DecodeAdmission* admit) {
    if (thumbnailColours != nullptr) thumbnailColours->reset();
    const auto status = StatPath(path);
    if (!status) return Fail(reason, "no such file");
    if (status->kind != FileStatus::Kind::File) return Fail(reason, "not a file");
    const auto age = DosDateTimeFromTime(status->modified.tv_sec);
    if (!age) return Fail(reason, "file dated before 1980 or after 2107");

    bitmap.setPixelFormat(TBitmap::PixelFormat::Bits24);
    const std::string extension = LowerCaseExtension(path);
    const bool bmp = extension == ".bmp";
    if (!bmp && !IsJpegExtension(extension)) return Fail(reason, "not a .bmp, .jpg or .jpeg file");

    QByteArray bytes;
    std::string why;
    if (!ReadSource(path, status->size, bmp, bytes, why)) return Fail(reason, why);
    try {
        if (bmp) {
            if (!Admitted(admit, BmpDecodeBytes(bytes))) return Fail(reason, kNotAdmitted);
            if (!DecodeBmp(bytes, bitmap, why)) return Fail(reason, why);
        } else if (!DecodeJpeg(bytes, bitmap, host, thumbnailColours, admit)) {
            return Fail(reason, kNotAdmitted);
        }
    } catch (const EJPEG& e) {
        return Fail(reason, e.Reason());
    } catch (const std::bad_alloc&) {
        return Fail(reason, "not enough memory to decode the picture");
    } catch (const std::exception& e) {
        return Fail(reason, e.what());
    }
    if (bitmap.isEmpty()) return Fail(reason, "empty picture");

    state.SourceFileAge = *age;
    return true;
}
