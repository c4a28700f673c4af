#include "codec/jpegstreams.h"

#include <jerror.h>

#include <QByteArray>
#include <QIODevice>
#include <cstring>

// Library callbacks: they may longjmp through ERREXIT, so nothing here holds an
// object with a destructor at that point, and no C++ exception leaves them.

namespace {

// Reading takes 64 KiB at a time: libjpeg-turbo decodes Huffman data on its
// fast path only with 512 bytes ahead in the buffer, and with 4 KiB refills an
// eighth of the data took the slow path (8 % slower decoding at 1/8 scale).
constexpr std::size_t kReadBufferSize = 65536;
constexpr std::size_t kWriteBufferSize = 4096;

struct StreamSource {
    jpeg_source_mgr pub;
    const QByteArray* bytes;
    qsizetype position;
    JOCTET* buffer;
    bool startOfFile;
    bool ranOut;
};

void InitSource(j_decompress_ptr cinfo) {
    auto* src = reinterpret_cast<StreamSource*>(cinfo->src);
    src->startOfFile = true;
}

boolean FillInputBuffer(j_decompress_ptr cinfo) {
    auto* src = reinterpret_cast<StreamSource*>(cinfo->src);
    const qsizetype left = src->bytes->size() - src->position;
    std::size_t count = left < qsizetype(kReadBufferSize) ? std::size_t(left) : kReadBufferSize;
    if (count == 0) {
        if (src->startOfFile) ERREXIT(cinfo, JERR_INPUT_EMPTY);
        WARNMS(cinfo, JWRN_JPEG_EOF);
        src->ranOut = true;
        src->buffer[0] = JOCTET(0xFF);
        src->buffer[1] = JOCTET(JPEG_EOI);
        count = 2;
        src->pub.next_input_byte = src->buffer;
    } else {
        // The bytes outlive the session: read in place, never copied.
        src->pub.next_input_byte =
            reinterpret_cast<const JOCTET*>(src->bytes->constData()) + src->position;
        src->position += qsizetype(count);
    }
    src->pub.bytes_in_buffer = count;
    src->startOfFile = false;
    return TRUE;
}

// Skipped bytes are never copied: a file of large segments that are not
// used costs no more than its size in memory.
void SkipInputData(j_decompress_ptr cinfo, long count) {
    if (count <= 0) return;
    auto* src = reinterpret_cast<StreamSource*>(cinfo->src);
    if (std::size_t(count) <= src->pub.bytes_in_buffer) {
        src->pub.next_input_byte += count;
        src->pub.bytes_in_buffer -= std::size_t(count);
        return;
    }
    const qsizetype beyond = qsizetype(count) - qsizetype(src->pub.bytes_in_buffer);
    const qsizetype left = src->bytes->size() - src->position;
    src->position += beyond < left ? beyond : left;
    src->pub.bytes_in_buffer = 0;
    // A skip past the end is the end of the file, as a byte-by-byte skip would find it.
    if (beyond > left) FillInputBuffer(cinfo);
}

void TermSource(j_decompress_ptr) {}

struct StreamDestination {
    jpeg_destination_mgr pub;
    QIODevice* output;
    JOCTET* buffer;
};

bool WriteAll(QIODevice* output, const JOCTET* data, std::size_t count) noexcept {
    try {
        return output->write(reinterpret_cast<const char*>(data), qint64(count)) == qint64(count);
    } catch (...) {
        return false;
    }
}

void InitDestination(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<StreamDestination*>(cinfo->dest);
    dest->buffer = static_cast<JOCTET*>(
        (*cinfo->mem->alloc_small)(j_common_ptr(cinfo), JPOOL_IMAGE, kWriteBufferSize));
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = kWriteBufferSize;
}

boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<StreamDestination*>(cinfo->dest);
    if (!WriteAll(dest->output, dest->buffer, kWriteBufferSize)) ERREXIT(cinfo, JERR_FILE_WRITE);
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = kWriteBufferSize;
    return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<StreamDestination*>(cinfo->dest);
    const std::size_t count = kWriteBufferSize - dest->pub.free_in_buffer;
    if (count > 0 && !WriteAll(dest->output, dest->buffer, count)) ERREXIT(cinfo, JERR_FILE_WRITE);
}

}  // namespace

void AttachStreamSource(j_decompress_ptr cinfo, const QByteArray& bytes) {
    if (cinfo->src == nullptr) {
        auto* src = static_cast<StreamSource*>(
            (*cinfo->mem->alloc_small)(j_common_ptr(cinfo), JPOOL_PERMANENT, sizeof(StreamSource)));
        // Only the end marker made up at the end of the bytes.
        src->buffer = static_cast<JOCTET*>(
            (*cinfo->mem->alloc_small)(j_common_ptr(cinfo), JPOOL_PERMANENT, 2));
        cinfo->src = &src->pub;
    }
    auto* src = reinterpret_cast<StreamSource*>(cinfo->src);
    src->pub.init_source = InitSource;
    src->pub.fill_input_buffer = FillInputBuffer;
    src->pub.skip_input_data = SkipInputData;
    src->pub.resync_to_restart = jpeg_resync_to_restart;
    src->pub.term_source = TermSource;
    src->pub.bytes_in_buffer = 0;
    src->pub.next_input_byte = nullptr;
    src->bytes = &bytes;
    src->position = 0;
    src->startOfFile = true;
    src->ranOut = false;
}

bool StreamSourceRanOut(j_decompress_ptr cinfo) {
    return reinterpret_cast<const StreamSource*>(cinfo->src)->ranOut;
}

void AttachStreamDestination(j_compress_ptr cinfo, QIODevice& output) {
    if (cinfo->dest == nullptr) {
        cinfo->dest = static_cast<jpeg_destination_mgr*>((*cinfo->mem->alloc_small)(
            j_common_ptr(cinfo), JPOOL_PERMANENT, sizeof(StreamDestination)));
    }
    auto* dest = reinterpret_cast<StreamDestination*>(cinfo->dest);
    dest->pub.init_destination = InitDestination;
    dest->pub.empty_output_buffer = EmptyOutputBuffer;
    dest->pub.term_destination = TermDestination;
    dest->output = &output;
    dest->buffer = nullptr;
}
