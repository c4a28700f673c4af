// libFuzzer target: the settings-file reader and writer on any file content.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <string>
#include <string_view>
#include <system_error>

#include "platform/profilefile.h"
#include "tests/fuzz/fuzzcheck.h"

namespace {

// A folder of its own for the settings file, removed when the process ends.
std::string gFolder;

void RemoveFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(gFolder, ignored);
}

const std::string& FilePath() {
    static const std::string path = [] {
        char folder[] = "/tmp/thumbrix-fuzz-XXXXXX";
        if (::mkdtemp(folder) == nullptr) std::abort();
        gFolder = folder;
        std::atexit(RemoveFolder);
        return gFolder + "/thumbrix.ini";
    }();
    return path;
}

void WriteRaw(const std::string& path, const uint8_t* data, size_t size) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
    std::fclose(file);
}

const char* const kKeys[][2] = {
    {"WinPos", "Left"},  {"FilePAth", "Save"},   {"IconImage", "Size"},
    {"Option", "Stamp"}, {"FileName", "Prefix"}, {"JpegOption", "Quality"},
};

// An input that starts with this stands for a file past the size limit: it is
// repeated beyond the limit, and such a file must be neither read nor replaced.
constexpr std::string_view kLarge = "#large";

bool CheckLargeFile(const std::string& path, const std::string& text) {
    if (text.compare(0, kLarge.size(), kLarge) != 0) return false;
    std::string content;
    while (content.size() <= ProfileFile::kMaxFileBytes) content += text;
    WriteRaw(path, reinterpret_cast<const uint8_t*>(content.data()), content.size());
    ProfileFile file(path);
    FuzzCheck(!file.readFailure().empty(), "a file past the limit was read");
    for (const auto& key : kKeys)
        FuzzCheck(file.readString(key[0], key[1], "\x01missing") == "\x01missing",
                  "a file past the limit gave a value");
    bool refused = false;
    try {
        file.writeString("Fuzz", "Key", "x");
    } catch (const ProfileWriteError&) {
        refused = true;
    }
    FuzzCheck(refused, "a file past the limit was replaced");
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& path = FilePath();
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (CheckLargeFile(path, text)) return 0;
    WriteRaw(path, data, size);
    int number = 0;
    ParseProfileInteger(text, number);

    ProfileFile file(path);
    std::string before[std::size(kKeys)];
    for (size_t i = 0; i < std::size(kKeys); ++i) {
        before[i] = file.readString(kKeys[i][0], kKeys[i][1], "\x01missing");
        FuzzCheck(before[i].size() <= ProfileFile::kMaxValueBytes, "value too long");
        file.readInteger(kKeys[i][0], kKeys[i][1], 0);
    }
    // Writing one key changes that key and no other.
    file.writeString("Fuzz", "Key", " a value ");
    const ProfileFile again(path);
    FuzzCheck(again.readString("Fuzz", "Key", "") == " a value ",
              "written value reads back otherwise");
    for (size_t i = 0; i < std::size(kKeys); ++i)
        FuzzCheck(again.readString(kKeys[i][0], kKeys[i][1], "\x01missing") == before[i],
                  "another key changed");
    return 0;
}
