#include "codec/filetypebox.h"

#include <algorithm>
#include <cstdint>

std::vector<std::string_view> FileTypeBrands(std::string_view head) {
    // size, "ftyp", major brand, minor version, compatible brands.
    if (head.size() < 16 || head.substr(4, 4) != "ftyp") return {};
    const auto byte = [&](size_t i) { return uint32_t(static_cast<unsigned char>(head[i])); };
    const uint32_t size = byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3);
    if (size < 16) return {};
    std::vector<std::string_view> brands{head.substr(8, 4)};
    const size_t end = std::min<size_t>(size, head.size());
    for (size_t at = 16; at + 4 <= end; at += 4) brands.push_back(head.substr(at, 4));
    return brands;
}

bool HasFileTypeBrand(std::string_view head, std::string_view brand, bool major) {
    const std::vector<std::string_view> brands = FileTypeBrands(head);
    if (major) return !brands.empty() && brands.front() == brand;
    return std::find(brands.begin(), brands.end(), brand) != brands.end();
}
