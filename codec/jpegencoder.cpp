#include "codec/jpegencoder.h"

#include <algorithm>

#include "codec/graphicerrors.h"
#include "image/bitmap.h"

namespace {

constexpr JDIMENSION kMaxRowsPerCall = 16;

}  // namespace

JpegEncoder::JpegEncoder(QIODevice& output, const CodecProgressFn* progress)
    : output_(output), progress_(progress) {}

JpegEncoder::~JpegEncoder() {
    DestroySession(session_);
}

bool JpegEncoder::Report(CodecSession& session) noexcept {
    return static_cast<JpegEncoder*>(session.owner)->progress_.Deliver(session, 0, -1, 0);
}

void JpegEncoder::Check(bool ok) {
    progress_.Check(session_, ok);
}

void JpegEncoder::Setup(const TBitmap& bitmap, int quality, bool gray, bool progressive,
                        bool optimize) {
    session_.owner = this;
    session_.report = progress_.active() ? Report : nullptr;
    Check(CreateCompressor(session_));
    Check(SetupCompressor(session_, output_,
                          {bitmap.width(), bitmap.height(), quality, gray, progressive, optimize}));
}

void JpegEncoder::Encode(const TBitmap& bitmap) {
    jpeg_compress_struct& c = session_.c;
    Check(StartCompress(session_));
    JSAMPROW rows[kMaxRowsPerCall];
    while (c.next_scanline < c.image_height) {
        const JDIMENSION first = c.next_scanline;
        const JDIMENSION count = std::min(kMaxRowsPerCall, c.image_height - first);
        for (JDIMENSION i = 0; i < count; ++i) {
            // The library only reads input rows.
            rows[i] = const_cast<JSAMPROW>(bitmap.scanLine(int(first + i)));
        }
        JDIMENSION written = 0;
        Check(WriteRows(session_, rows, count, written));
        if (written == 0) break;
    }
    Check(FinishCompress(session_));
}
