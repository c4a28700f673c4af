#include "codec/jpegsession.h"

#include <jerror.h>

#include <algorithm>
#include <csetjmp>
#include <cstdlib>
#include <cstring>

#include "codec/exiforientation.h"
#include "codec/jpegstreams.h"

// Each function with a setjmp has no locals with destructors, and the library
// calls only the callbacks below, which finish their C++ work before any
// longjmp.

namespace {

CodecSession& SessionOf(j_common_ptr cinfo) {
    return *static_cast<CodecSession*>(cinfo->client_data);
}

// The message code is already in err->msg_code; its text is kept for the
// reason of the refusal.
[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
    CodecSession& s = SessionOf(cinfo);
    s.libraryFormat(cinfo, s.message);
    std::longjmp(s.jump, 1);
}

// Warnings and trace messages are not reported.
void EmitMessage(j_common_ptr, int) {}
void OutputMessage(j_common_ptr) {}
void FormatMessage(j_common_ptr, char* buffer) {
    buffer[0] = '\0';
}
void ResetErrorManager(j_common_ptr cinfo) {
    cinfo->err->num_warnings = 0;
    cinfo->err->msg_code = 0;
}

void ReportCodecProgress(j_common_ptr cinfo) {
    CodecSession& s = SessionOf(cinfo);
    if (!s.report(s)) {
        s.stopped = true;
        std::longjmp(s.jump, 1);
    }
}

void InstallHandlers(CodecSession& s) {
    jpeg_std_error(&s.error);
    s.libraryFormat = s.error.format_message;
    s.error.error_exit = ErrorExit;
    s.error.emit_message = EmitMessage;
    s.error.output_message = OutputMessage;
    s.error.format_message = FormatMessage;
    s.error.reset_error_mgr = ResetErrorManager;
    s.progress.progress_monitor = ReportCodecProgress;
}

bool NextByte(j_decompress_ptr d, unsigned& byte) {
    jpeg_source_mgr& source = *d->src;
    if (source.bytes_in_buffer == 0 && !source.fill_input_buffer(d)) return false;
    --source.bytes_in_buffer;
    byte = *source.next_input_byte++;
    return true;
}

// Copies the segment's next length bytes into the library's memory.
JOCTET* KeepBytes(j_decompress_ptr d, const JOCTET* head, unsigned headLength, unsigned length) {
    auto* data = static_cast<JOCTET*>(
        d->mem->alloc_large(j_common_ptr(d), JPOOL_PERMANENT, length == 0 ? 1 : length));
    std::memcpy(data, head, headLength);
    unsigned byte = 0;
    for (unsigned i = headLength; i < length && NextByte(d, byte); ++i) data[i] = JOCTET(byte);
    return data;
}

// Reads an APP1 or APP2 segment through the source, keeping only what the
// decoder uses; the rest is skipped unread, so that a file of a million
// segments costs neither memory nor time.
boolean ReadMetadataSegment(j_decompress_ptr d) {
    CodecSession& s = *static_cast<CodecSession*>(d->client_data);
    unsigned high = 0, low = 0;
    if (!NextByte(d, high) || !NextByte(d, low)) return TRUE;
    const unsigned length = (high << 8 | low) < 2 ? 0 : (high << 8 | low) - 2;
    JOCTET head[14];
    unsigned headLength = 0, byte = 0;
    while (headLength < std::min(length, 14u) && NextByte(d, byte))
        head[headLength++] = JOCTET(byte);
    const bool app1 = d->unread_marker == JPEG_APP0 + 1;
    if (app1 && s.exif.data == nullptr && IsExifBlock(head, headLength)) {
        s.exif = {KeepBytes(d, head, headLength, length), length};
        return TRUE;
    }
    if (!app1 && headLength == 14 && std::memcmp(head, "ICC_PROFILE\0", 12) == 0) {
        const int sequence = head[12], count = head[13];
        if (s.iccChunkCount == 0 && count > 0) s.iccChunkCount = count;
        SavedSegment& chunk = s.iccChunks[sequence];
        if (count == s.iccChunkCount && sequence >= 1 && sequence <= count &&
            chunk.data == nullptr) {
            chunk = {KeepBytes(d, head, 0, length - 14), length - 14};
            return TRUE;
        }
    }
    if (length > headLength) d->src->skip_input_data(d, long(length - headLength));
    return TRUE;
}

}  // namespace

bool CreateDecompressor(CodecSession& s) noexcept {
    InstallHandlers(s);
    s.d.err = &s.error;
    s.d.client_data = &s;
    // Destroying a zero-filled or half-made object is safe: mark it first.
    s.created = true;
    s.isDecompressor = true;
    if (setjmp(s.jump)) return false;
    jpeg_create_decompress(&s.d);
    if (s.report != nullptr) s.d.progress = &s.progress;
    return true;
}

bool ReadHeader(CodecSession& s, const QByteArray& bytes) noexcept {
    if (setjmp(s.jump)) return false;
    AttachStreamSource(&s.d, bytes);
    // Kept for the EXIF Orientation and the ICC profile.
    jpeg_set_marker_processor(&s.d, JPEG_APP0 + 1, ReadMetadataSegment);
    jpeg_set_marker_processor(&s.d, JPEG_APP0 + 2, ReadMetadataSegment);
    jpeg_read_header(&s.d, TRUE);
    // The source made up an end-of-image marker inside the header: the
    // library read it as header fields, so what it read is not the file's.
    if (StreamSourceRanOut(&s.d)) ERREXIT(&s.d, JERR_INPUT_EOF);
    return true;
}

bool ReadIccProfile(CodecSession& s, JOCTET*& data, unsigned& length) noexcept {
    data = nullptr;
    length = 0;
    size_t total = 0;
    for (int i = 1; i <= s.iccChunkCount; ++i) {
        if (s.iccChunks[i].data == nullptr) return true;
        total += s.iccChunks[i].length;
    }
    if (total == 0) return true;
    data = static_cast<JOCTET*>(std::malloc(total));
    if (data == nullptr) return false;
    for (int i = 1; i <= s.iccChunkCount; ++i) {
        std::memcpy(data + length, s.iccChunks[i].data, s.iccChunks[i].length);
        length += s.iccChunks[i].length;
    }
    return true;
}

bool HasMultipleScans(CodecSession& s, bool& multiple) noexcept {
    if (setjmp(s.jump)) return false;
    multiple = jpeg_has_multiple_scans(&s.d) != FALSE;
    return true;
}

bool CalcOutputDimensions(CodecSession& s) noexcept {
    if (setjmp(s.jump)) return false;
    jpeg_calc_output_dimensions(&s.d);
    return true;
}

bool SetColormap(CodecSession& s, const QRgb* colors, int count) noexcept {
    if (setjmp(s.jump)) return false;
    JSAMPARRAY map =
        (*s.d.mem->alloc_sarray)(j_common_ptr(&s.d), JPOOL_IMAGE, JDIMENSION(count), 3);
    for (int i = 0; i < count; ++i) {
        map[0][i] = JSAMPLE(qBlue(colors[i]));
        map[1][i] = JSAMPLE(qGreen(colors[i]));
        map[2][i] = JSAMPLE(qRed(colors[i]));
    }
    s.d.colormap = map;
    s.d.actual_number_of_colors = count;
    return true;
}

bool StartDecompress(CodecSession& s) noexcept {
    if (setjmp(s.jump)) return false;
    jpeg_start_decompress(&s.d);
    return true;
}

bool ReadRows(CodecSession& s, JSAMPARRAY rows, JDIMENSION maxRows, JDIMENSION& read) noexcept {
    if (setjmp(s.jump)) return false;
    read = jpeg_read_scanlines(&s.d, rows, maxRows);
    return true;
}

bool InputComplete(CodecSession& s, bool& complete) noexcept {
    if (setjmp(s.jump)) return false;
    complete = jpeg_input_complete(&s.d) != FALSE;
    return true;
}

bool StartOutput(CodecSession& s, int scan) noexcept {
    if (setjmp(s.jump)) return false;
    jpeg_start_output(&s.d, scan);
    return true;
}

bool FinishOutput(CodecSession& s) noexcept {
    if (setjmp(s.jump)) return false;
    jpeg_finish_output(&s.d);
    return true;
}

bool FinishDecompress(CodecSession& s) noexcept {
    if (setjmp(s.jump)) return false;
    jpeg_finish_decompress(&s.d);
    return true;
}

bool CreateCompressor(CodecSession& s) noexcept {
    InstallHandlers(s);
    s.c.err = &s.error;
    s.c.client_data = &s;
    s.created = true;
    s.isDecompressor = false;
    if (setjmp(s.jump)) return false;
    jpeg_create_compress(&s.c);
    if (s.report != nullptr) s.c.progress = &s.progress;
    return true;
}

bool SetupCompressor(CodecSession& s, QIODevice& output, const CompressorSetup& setup) noexcept {
    if (setjmp(s.jump)) return false;
    AttachStreamDestination(&s.c, output);
    s.c.image_width = JDIMENSION(setup.width);
    s.c.image_height = JDIMENSION(setup.height);
    s.c.input_components = 3;
    s.c.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&s.c);
    jpeg_set_quality(&s.c, setup.quality, TRUE);
    if (setup.gray) jpeg_set_colorspace(&s.c, JCS_GRAYSCALE);
    if (setup.progressive) jpeg_simple_progression(&s.c);
    if (setup.optimize) s.c.optimize_coding = TRUE;
    return true;
}

bool StartCompress(CodecSession& s) noexcept {
    if (setjmp(s.jump)) return false;
    jpeg_start_compress(&s.c, TRUE);
    return true;
}

bool WriteRows(CodecSession& s, JSAMPARRAY rows, JDIMENSION count, JDIMENSION& written) noexcept {
    if (setjmp(s.jump)) return false;
    written = jpeg_write_scanlines(&s.c, rows, count);
    return true;
}

bool FinishCompress(CodecSession& s) noexcept {
    if (setjmp(s.jump)) return false;
    jpeg_finish_compress(&s.c);
    return true;
}

void DestroySession(CodecSession& s) noexcept {
    if (!s.created) return;
    if (s.isDecompressor) {
        jpeg_destroy_decompress(&s.d);
    } else {
        jpeg_destroy_compress(&s.c);
    }
    s.created = false;
}

std::string LibraryMessage(const CodecSession& s) {
    if (s.error.msg_code == 0) return {};
    // The library's formatter, on a copy of the recorded code and parameters.
    jpeg_error_mgr err{};
    jpeg_std_error(&err);
    err.msg_code = s.error.msg_code;
    err.msg_parm = s.error.msg_parm;
    jpeg_common_struct common{};
    common.err = &err;
    char text[JMSG_LENGTH_MAX] = {};
    err.format_message(&common, text);
    return text;
}
