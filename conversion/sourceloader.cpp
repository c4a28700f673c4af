#include "conversion/sourceloader.h"

#include <QFile>
#include <algorithm>
#include <exception>

#include "codec/jpegimage.h"
#include "codec/srgbtransform.h"
#include "conversion/bmpdecoder.h"
#include "conversion/jpegoptions.h"
#include "conversion/outputname.h"
#include "conversion/runhost.h"
#include "conversion/runstate.h"
#include "image/bitmap.h"
#include "image/orientation.h"
#include "platform/dosdatetime.h"
#include "platform/filestatus.h"

namespace {

bool ReadWholeFile(const std::string& path, QByteArray& bytes, std::string& reason) {
    QFile file(QFile::decodeName(QByteArray::fromStdString(path)));
    if (!file.open(QIODevice::ReadOnly)) {
        reason = file.errorString().toStdString();
        return false;
    }
    bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        reason = file.errorString().toStdString();
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

// Codec failures throw; the caller turns them into a refusal.
void DecodeJpeg(const QByteArray& bytes, TBitmap& bitmap, RunHost& host,
                std::unique_ptr<SrgbTransform>* thumbnailColours) {
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
    const JpegDecodeScale scale = ScaleForSide(std::max(jpeg.Height(), jpeg.Width()));
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
}

bool Fail(std::string* reason, const std::string& text) {
    if (reason != nullptr) *reason = text;
    return false;
}

}  // namespace

bool LoadSourceFile(TBitmap& bitmap, const std::string& path, RunState& state, RunHost& host,
                    std::string* reason, std::unique_ptr<SrgbTransform>* thumbnailColours) {
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
    if (!ReadWholeFile(path, bytes, why)) return Fail(reason, why);
    try {
        if (bmp) {
            if (!DecodeBmp(bytes, bitmap, why)) return Fail(reason, why);
        } else {
            DecodeJpeg(bytes, bitmap, host, thumbnailColours);
        }
    } catch (const std::exception& e) {
        return Fail(reason, e.what());
    }
    if (bitmap.isEmpty()) return Fail(reason, "empty picture");

    state.SourceFileAge = *age;
    return true;
}
