#include "conversion/thumbnailwriter.h"

#include "codec/pictureformat.h"
#include "conversion/runhost.h"
#include "conversion/runstate.h"
#include "image/bitmap.h"
#include "platform/atomicfile.h"
#include "platform/dosdatetime.h"

void WriteThumbnail(const TBitmap& bitmap, const std::string& path, const RunState& state,
                    RunHost& host, const std::string& comment) {
    const PictureFormat* format = OutputFormatOfPath(path);
    if (format == nullptr || format->encode == nullptr) return;
    // The window writes BMP and JPEG files only; another format only for a
    // host that asks for it.
    if (format != OutputFormatNamed("jpeg") && format != OutputFormatNamed("bmp") &&
        format != host.outputFormat())
        return;
    EncodeOptions encoding;
    encoding.quality = host.jpegQuality();
    encoding.progressive = host.progressive();
    encoding.optimizeCoding = host.optimizeCoding();
    encoding.bestQuality = host.bestQuality();
    encoding.smoothing = host.smoothing();
    encoding.comment = comment;
    QByteArray bytes;
    std::string reason;
    if (!format->encode(bitmap, encoding, bytes, reason)) throw ThumbnailCreateError(path, reason);

    AtomicWriteOptions options;
    if (host.keepDate()) {
        if (const auto time = TimeFromDosDateTime(state.SourceFileAge))
            options.modified = timespec{*time, 0};
    }
    const std::error_code error = WriteFileAtomically(
        path, std::string_view(bytes.constData(), size_t(bytes.size())), options);
    if (error) throw ThumbnailCreateError(path, error.message());
}
