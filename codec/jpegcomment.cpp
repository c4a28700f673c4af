#include "codec/jpegcomment.h"

#include "platform/filereader.h"

namespace {

constexpr unsigned char kMarker = 0xFF, kStart = 0xD8, kComment = 0xFE, kScan = 0xDA;
constexpr unsigned char kApp0 = 0xE0, kApp15 = 0xEF;
// Comments go right after the headers, well inside this.
constexpr size_t kHeadBytes = 16384;

unsigned char At(const QByteArray& bytes, qsizetype i) {
    return static_cast<unsigned char>(bytes[i]);
}

// Length of the segment at i (marker included), 0 when it does not fit.
qsizetype SegmentLength(const QByteArray& bytes, qsizetype i) {
    if (i + 4 > bytes.size() || At(bytes, i) != kMarker) return 0;
    const qsizetype length = 2 + (At(bytes, i + 2) << 8 | At(bytes, i + 3));
    return i + length <= bytes.size() ? length : 0;
}

}  // namespace

QByteArray WithJpegComment(const QByteArray& jpeg, std::string_view text) {
    if (jpeg.size() < 2 || At(jpeg, 0) != kMarker || At(jpeg, 1) != kStart) return jpeg;
    qsizetype at = 2;
    while (at + 1 < jpeg.size() && At(jpeg, at) == kMarker && At(jpeg, at + 1) >= kApp0 &&
           At(jpeg, at + 1) <= kApp15) {
        const qsizetype length = SegmentLength(jpeg, at);
        if (length == 0) break;
        at += length;
    }
    const size_t length = text.size() + 2;
    QByteArray segment;
    segment.append(char(kMarker)).append(char(kComment));
    segment.append(char(length >> 8)).append(char(length & 0xFF));
    segment.append(text.data(), qsizetype(text.size()));
    QByteArray result = jpeg;
    result.insert(at, segment);
    return result;
}

std::optional<std::string> ReadJpegComment(const std::string& path, std::string_view prefix) {
    const std::optional<QByteArray> read = ReadRegularFileHead(path, kHeadBytes);
    if (!read || read->size() < 4) return std::nullopt;
    const QByteArray& head = *read;
    if (At(head, 0) != kMarker || At(head, 1) != kStart) return std::nullopt;
    for (qsizetype at = 2;;) {
        const qsizetype length = SegmentLength(head, at);
        if (length == 0 || At(head, at + 1) == kScan) return std::nullopt;
        if (At(head, at + 1) == kComment) {
            std::string text(head.constData() + at + 4, size_t(length - 4));
            if (text.compare(0, prefix.size(), prefix) == 0) return text;
        }
        at += length;
    }
}
