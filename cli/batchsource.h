#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// One source file of a batch run, with the part of its path that is mirrored
// under the destination: the subfolders between the walked folder (or --base)
// and the file's name, ending with "/", or nothing.
struct BatchSource {
    std::string path;
    uint32_t mirrorStart = 0;
    uint32_t mirrorEnd = 0;

    std::string_view mirrored() const {
        return std::string_view(path).substr(mirrorStart, mirrorEnd - mirrorStart);
    }
};
