#include "conversion/outputname.h"

#include "codec/pictureformat.h"

namespace {

size_t ExtensionStart(std::string_view path) {
    const auto dot = path.rfind('.');
    const auto slash = path.rfind('/');
    if (dot == std::string_view::npos) return std::string_view::npos;
    if (slash != std::string_view::npos && dot < slash) return std::string_view::npos;
    return dot;
}

}  // namespace

std::string_view PathExtension(std::string_view path) {
    const size_t start = ExtensionStart(path);
    return start == std::string_view::npos ? std::string_view() : path.substr(start);
}

std::string LowerCaseExtension(std::string_view path) {
    std::string extension(PathExtension(path));
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return extension;
}

bool IsJpegExtension(std::string_view lowerExtension) {
    return HasExtension(JpegFormat(), lowerExtension);
}

std::string ThumbnailPath(std::string_view source, std::string_view destination,
                          std::string_view prefix, std::string_view suffix) {
    const auto slash = source.rfind('/');
    const std::string_view name =
        slash == std::string_view::npos ? source : source.substr(slash + 1);
    const std::string_view stem = name.substr(0, name.rfind('.'));

    std::string output(destination);
    output += prefix;
    output += stem;
    output += suffix;
    output += PathExtension(source);

    if (!IsJpegExtension(LowerCaseExtension(output))) {
        const size_t start = ExtensionStart(output);
        if (start != std::string::npos) output.resize(start);
        output += ".jpg";
    }
    return output;
}
