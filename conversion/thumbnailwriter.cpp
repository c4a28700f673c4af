#include "conversion/thumbnailwriter.h"

#include <QBuffer>
#include <QImageWriter>

#include "codec/jpegimage.h"
#include "conversion/jpegcomment.h"
#include "conversion/jpegoptions.h"
#include "conversion/outputname.h"
#include "conversion/runhost.h"
#include "conversion/runstate.h"
#include "image/bitmap.h"
#include "platform/atomicfile.h"
#include "platform/dosdatetime.h"

namespace {

QByteArray EncodeBmp(const TBitmap& bitmap, const std::string& path) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "bmp");
    if (!writer.write(bitmap.image()))
        throw ThumbnailCreateError(path, writer.errorString().toStdString());
    return bytes;
}

QByteArray EncodeJpeg(const TBitmap& bitmap, RunHost& host, const std::string& comment) {
    TJPEGImage jpeg;
    // The decode settings go in before the bitmap: changing one drops it.
    ApplyDecodeSettings(jpeg, host);
    jpeg.Assign(bitmap);
    jpeg.SetEncodeQuality(host.jpegQuality());
    jpeg.SetProgressiveWrite(host.progressive());
    jpeg.SetOptimizeCoding(host.optimizeCoding());
    const QByteArray bytes = jpeg.SaveToBytes();
    return comment.empty() ? bytes : WithJpegComment(bytes, comment);
}

}  // namespace

void WriteThumbnail(const TBitmap& bitmap, const std::string& path, const RunState& state,
                    RunHost& host, const std::string& comment) {
    const std::string extension = LowerCaseExtension(path);
    QByteArray bytes;
    if (extension == ".bmp") {
        bytes = EncodeBmp(bitmap, path);
    } else if (IsJpegExtension(extension)) {
        bytes = EncodeJpeg(bitmap, host, comment);
    } else {
        return;
    }

    AtomicWriteOptions options;
    if (host.keepDate()) {
        if (const auto time = TimeFromDosDateTime(state.SourceFileAge))
            options.modified = timespec{*time, 0};
    }
    const std::error_code error = WriteFileAtomically(
        path, std::string_view(bytes.constData(), size_t(bytes.size())), options);
    if (error) throw ThumbnailCreateError(path, error.message());
}
