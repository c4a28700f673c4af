#pragma once

#include <string_view>
#include <vector>

// The brands of the 'ftyp' box an ISO base media file (HEIF, AVIF, CR3) starts
// with: the major brand first, then the compatible ones that head holds.
// Empty when head does not start with such a box.
std::vector<std::string_view> FileTypeBrands(std::string_view head);

// Whether brand is among FileTypeBrands(head); major: only as the major brand.
bool HasFileTypeBrand(std::string_view head, std::string_view brand, bool major = false);
