#include "conversion/windowformats.h"

#include <algorithm>

#include "codec/pictureformat.h"
#include "platform/pathname.h"

namespace {

const std::vector<std::string>& ClassicExtensions() {
    static const std::vector<std::string> extensions = {".bmp", ".jpg", ".jpeg"};
    return extensions;
}

}  // namespace

std::vector<std::string> WindowExtensions(bool allFormats) {
    return allFormats ? PictureExtensions() : ClassicExtensions();
}

std::string WindowFileMask(bool allFormats) {
    return FileMask(WindowExtensions(allFormats));
}

bool WindowReadsSource(const std::string& source, const PictureFormat& format, bool allFormats) {
    if (allFormats) return true;
    std::string extension(PathExtension(source));
    for (char& c : extension) c = AsciiLower(c);
    const auto& classic = ClassicExtensions();
    return std::find(classic.begin(), classic.end(), extension) != classic.end() &&
           HasExtension(format, extension);
}
