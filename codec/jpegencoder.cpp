#include "codec/jpegencoder.h"

#include <algorithm>

#include "codec/graphicerrors.h"
#include "conversion/bitmap.h"

namespace {

constexpr JDIMENSION kMaxRowsPerCall = 16;

}  // namespace

JpegEncoder::JpegEncoder(QIODevice& output, const CodecProgressFn* progress)
    : output_(output), progress_(progress) {}

JpegEncoder::~JpegEncoder() {
    DestroySession(session_);
}

bool JpegEncoder::Report(CodecSession& session) noexcept {
    auto* self = static_cast<JpegEncoder*>(session.owner);
    const jpeg_progress_mgr& p = session.progress;
    const std::optional<CodecProgressReport> report = NextProgressReport(
        session.progressState, {p.pass_counter, p.pass_limit, p.completed_passes, p.total_passes},
        CodecTickSource(), 0, -1, 0);
    if (!report) return true;
    try {
        (*self->progress_)(report->percent, report->redrawNow, report->band);
        return true;
    } catch (...) {
        self->pending_ = std::current_exception();
        return false;
    }
}

void JpegEncoder::Check(bool ok) {
    if (ok) return;
    if (session_.stopped && pending_) std::rethrow_exception(pending_);
    throw EJPEG(session_.error.msg_code);
}

void JpegEncoder::Setup(const TBitmap& bitmap, int quality, bool gray, bool progressive) {
    session_.owner = this;
    session_.report = progress_ != nullptr ? Report : nullptr;
    Check(CreateCompressor(session_));
    Check(SetupCompressor(session_, output_,
                          {bitmap.width(), bitmap.height(), quality, gray, progressive}));
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
