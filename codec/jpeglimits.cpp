#include "codec/jpeglimits.h"

#include <cstring>

namespace {

constexpr unsigned kStartOfImage = 0xD8, kEndOfImage = 0xD9, kStartOfScan = 0xDA;

// Markers that stand alone, without a length: a stuffed zero, TEM, SOI and
// the restart markers.
bool StandsAlone(unsigned marker) {
    return marker == 0x00 || marker == 0x01 || marker == kStartOfImage ||
           (marker >= 0xD0 && marker <= 0xD7);
}

}  // namespace

int CountJpegScans(const QByteArray& bytes, int stopAfter) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
    const size_t size = size_t(bytes.size());
    size_t at = 0;
    int scans = 0;
    while (scans < stopAfter && at < size) {
        // As the library does, anything before the next 0xFF is skipped.
        const void* found = std::memchr(data + at, 0xFF, size - at);
        if (found == nullptr) break;
        at = size_t(static_cast<const unsigned char*>(found) - data) + 1;
        while (at < size && data[at] == 0xFF) ++at;  // fill bytes
        if (at >= size) break;
        const unsigned marker = data[at++];
        if (StandsAlone(marker)) continue;
        if (marker == kEndOfImage) break;
        if (marker == kStartOfScan) ++scans;
        if (size - at < 2) break;
        at += size_t(data[at]) << 8 | data[at + 1];  // the length counts its own two bytes
    }
    return scans;
}

std::string TooManyScansReason() {
    return "too many scans (more than " + std::to_string(kJpegMaxScans) +
           "; a photograph has about 10): a damaged or hostile file";
}

std::string OverBudgetReason(int64_t width, int64_t height) {
    return "too large to decode: " + std::to_string(width) + " x " + std::to_string(height) +
           " pixels need more than the " + std::to_string(kJpegMemoryBudget >> 20) +
           " MiB that one picture may use";
}
