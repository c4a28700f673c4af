#include "cli/updatestamp.h"

#include <cinttypes>
#include <cstdio>

#include "buildinfo.h"
#include "codec/pictureformat.h"

namespace {

constexpr const char* kTag = "thumbrix-update 1 ";

uint64_t Fnv1a(const std::string& text) {
    uint64_t hash = 0xcbf29ce484222325ull;
    for (const unsigned char c : text) hash = (hash ^ c) * 0x100000001b3ull;
    return hash;
}

std::string LeafName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Fields added later, written only when they differ from what the older
// stamps were made with, so that those stay up to date.
std::string NewerFields(const Settings& s) {
    std::string fields;
    if (s.format != nullptr && s.format != OutputFormatNamed("jpeg"))
        fields += " format=" + s.format->name;
    if (!s.enlarge) fields += " enlarge=0";
    if (s.background != 0xffffff) fields += " background=" + std::to_string(s.background);
    return fields;
}

}  // namespace

UpdateStamp::UpdateStamp(const Settings& s) {
    // The program's version is in: a new version may make other pixels.
    const std::string shape =
        std::string(THUMBRIX_VERSION) + " size=" + std::to_string(s.size) +
        " quality=" + std::to_string(s.quality) + " best=" + std::to_string(s.bestQuality) +
        " smoothing=" + std::to_string(s.smoothing) +
        " progressive=" + std::to_string(s.progressive) +
        " keepdate=" + std::to_string(s.keepDate) + " optimize=" + std::to_string(s.optimize) +
        " draft=" + std::to_string(s.draft) + " orient=" + std::to_string(s.autoOrient) +
        " srgb=" + std::to_string(s.toSrgb) + NewerFields(s);
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016" PRIx64, Fnv1a(shape));
    settings_ = hex;
}

std::string UpdateStamp::textFor(const std::string& source, const FileStatus& status) const {
    char times[64];
    std::snprintf(times, sizeof times, "%" PRId64 " %lld.%09ld", status.size,
                  static_cast<long long>(status.modified.tv_sec), status.modified.tv_nsec);
    return kTag + settings_ + " " + times + " " + LeafName(source);
}

bool UpdateStamp::isUpToDate(const std::string& output, const std::string& source,
                             const FileStatus& status) const {
    const PictureFormat* format = OutputFormatOfPath(output);
    if (format == nullptr || format->readComment == nullptr) return false;
    const std::optional<std::string> stored = format->readComment(output, kTag);
    return stored && *stored == textFor(source, status);
}
