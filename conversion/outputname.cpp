#include "conversion/outputname.h"

#include "codec/pictureformat.h"

std::string ThumbnailPath(std::string_view source, std::string_view destination,
                          std::string_view prefix, std::string_view suffix,
                          const PictureFormat* format) {
    const PictureFormat& written = format != nullptr ? *format : JpegFormat();
    const auto slash = source.rfind('/');
    const std::string_view name =
        slash == std::string_view::npos ? source : source.substr(slash + 1);
    const std::string_view stem = name.substr(0, name.rfind('.'));

    std::string output(destination);
    output += prefix;
    output += stem;
    output += suffix;
    output += PathExtension(source);

    const std::string_view extension = PathExtension(output);
    if (!HasExtension(written, extension)) {
        output.resize(output.size() - extension.size());
        output += written.extensions.front();
    }
    return output;
}
