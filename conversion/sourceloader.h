#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "codec/pictureformat.h"

class RunHost;
class SrgbTransform;
class TBitmap;
struct RunState;

// The largest source file read, far above any real photograph: a larger file
// is refused before any of it is read.
constexpr int64_t kMaxSourceBytes = int64_t{1} << 30;

// Reads a file with an extension of the format table (in any case) into a
// 24-bit bitmap, or 32 bits with straight alpha for a picture with
// transparency; with the host's everyFormat() the file's first bytes, not
// its name, decide its format. Large JPEG files are decoded at 1/2, 1/4 or 1/8 of their size. On
// success the state's SourceFileAge holds the file's time as a DOS date-time.
// Fails, without a message, for a missing path, a folder, a file dated before
// 1980 or after 2107, another extension, a format the host does not read
// (readsSource; the window reads BMP and JPEG unless asked for every
// format), a file over kMaxSourceBytes, or data that does not decode;
// reason (when given) then says which, in words for a message that names the
// file (a codec failure in the library's own words). The path is the file system's bytes. With the
// host's draftDecode(), JPEG files are decoded at the smallest scale whose longer side is at least
// twice the thumbnail size. Reads "Best Quality", "Smoothing" and whether to
// turn the picture upright by its EXIF Orientation and to convert its ICC
// colours to sRGB from the host when it decodes a JPEG file.
//
// Colours are converted to sRGB as the picture decodes, except that a caller
// who passes thumbnailColours takes over an RGB photo's conversion: it gets
// the transform (null when there is nothing to convert) and applies it to the
// thumbnail, which costs a fraction of converting the whole picture.
//
// A caller that shares memory between decodes passes admit: it is asked,
// once the picture's size is known and before it is decoded, whether that
// many more bytes may be used; false refuses the load.
using DecodeAdmission = std::function<bool(int64_t bytes)>;
bool LoadSourceFile(TBitmap& bitmap, const std::string& path, RunState& state, RunHost& host,
                    std::string* reason = nullptr,
                    std::unique_ptr<SrgbTransform>* thumbnailColours = nullptr,
                    const DecodeAdmission* admit = nullptr);

// All that loading a file asks of the host, so that a load on another thread
// can go by the answers taken on the host's own.
struct LoadChoices {
    DecodeOptions decode;      // without thumbnailColours
    bool everyFormat = false;  // known by content
    bool readsSource = false;  // the host's answer for the format the name gives

    static LoadChoices Of(RunHost& host, const std::string& path);
    bool operator==(const LoadChoices&) const = default;
};
bool LoadSourceFile(TBitmap& bitmap, const std::string& path, RunState& state,
                    const LoadChoices& choices, std::string* reason,
                    std::unique_ptr<SrgbTransform>* thumbnailColours, const DecodeAdmission* admit);
