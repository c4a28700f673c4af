#pragma once

// The only door to libjpeg. Every function below that calls the library sets
// its own setjmp: error_exit records the message code and longjmps back into
// that function, which returns false. No C++ exception ever crosses a libjpeg
// frame and nothing with a destructor lives between setjmp and longjmp; the
// C++ caller throws afterwards. DestroySession must run on every path.

#include <QRgb>
#include <csetjmp>
#include <cstdio>
#include <string>

// jpeglib.h needs size_t and FILE declared first.
// clang-format off
#include <jpeglib.h>
// clang-format on

#include "codec/jpegprogress.h"

class QByteArray;
class QIODevice;

struct CodecSession;
// Called from the library's progress monitor. Returns false to stop the
// operation (the handler threw); it must not throw.
using CodecProgressHandler = bool (*)(CodecSession& session) noexcept;

// A marker segment's bytes (after its length), in the library's memory.
struct SavedSegment {
    JOCTET* data;
    unsigned length;
};

// Zero-filled for each decode, encode, header read or size query.
struct CodecSession {
    jpeg_error_mgr error;
    // The library's own English text of the error that stopped the operation.
    char message[JMSG_LENGTH_MAX];
    void (*libraryFormat)(j_common_ptr, char*);
    jpeg_progress_mgr progress;
    void* owner;                  // the operation the progress reports belong to
    CodecProgressHandler report;  // null: no progress monitor
    CodecProgressState progressState;
    // The decode settings to restore for the last pass of a scan-by-scan decode.
    J_DCT_METHOD finalDctMethod;
    boolean finalTwoPassQuantize;
    J_DITHER_MODE finalDitherMode;
    // What ReadHeader keeps of the APP1 and APP2 segments, whatever their
    // number: the first EXIF block, and the first copy of each ICC chunk (by
    // its number, 1 to iccChunkCount), 16 MB at most.
    SavedSegment exif;
    SavedSegment iccChunks[256];
    int iccChunkCount;
    bool stopped;  // the progress handler stopped the operation
    bool created;
    bool isDecompressor;
    jpeg_decompress_struct d;
    jpeg_compress_struct c;
    std::jmp_buf jump;
};

// Decompression.
bool CreateDecompressor(CodecSession& s) noexcept;
// Attaches StreamSource to bytes (which must outlive the session) and reads
// the header; an image is required, and a header cut short by the end of the
// bytes (the start-of-scan header included) fails with JERR_INPUT_EOF.
bool ReadHeader(CodecSession& s, const QByteArray& bytes) noexcept;
// After ReadHeader: the embedded ICC profile, malloc'ed (free it), or null
// when there is none or a chunk of it is missing.
bool ReadIccProfile(CodecSession& s, JOCTET*& data, unsigned& length) noexcept;
bool HasMultipleScans(CodecSession& s, bool& multiple) noexcept;
bool CalcOutputDimensions(CodecSession& s) noexcept;
// colors become the colour map of quantised output (component 0 blue, 2 red).
bool SetColormap(CodecSession& s, const QRgb* colors, int count) noexcept;
bool StartDecompress(CodecSession& s) noexcept;
bool ReadRows(CodecSession& s, JSAMPARRAY rows, JDIMENSION maxRows, JDIMENSION& read) noexcept;
bool InputComplete(CodecSession& s, bool& complete) noexcept;
bool StartOutput(CodecSession& s, int scan) noexcept;
bool FinishOutput(CodecSession& s) noexcept;
bool FinishDecompress(CodecSession& s) noexcept;

// Compression of B, G, R rows.
struct CompressorSetup {
    int width;
    int height;
    int quality;
    bool gray;
    bool progressive;
    bool optimize;  // optimised Huffman tables: same pixels, smaller file
};
bool CreateCompressor(CodecSession& s) noexcept;
// Attaches StreamDestination to output (which must outlive the session).
bool SetupCompressor(CodecSession& s, QIODevice& output, const CompressorSetup& setup) noexcept;
bool StartCompress(CodecSession& s) noexcept;
bool WriteRows(CodecSession& s, JSAMPARRAY rows, JDIMENSION count, JDIMENSION& written) noexcept;
bool FinishCompress(CodecSession& s) noexcept;

// The library's own text for the failure recorded in the session.
std::string LibraryMessage(const CodecSession& s);

// Destroys the library object, if one was created. Never fails.
void DestroySession(CodecSession& s) noexcept;
