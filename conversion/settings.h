#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>

struct PictureFormat;

// Whole numbers from low to high, both included.
struct SettingRange {
    int low;
    int high;
    int clamp(int value) const { return std::clamp(value, low, high); }
};

// Every setting with its default. The settings file holds the first group
// (settingstable.cpp reads and writes it, holding numbers to the ranges of
// the window's spin edits); the rest are thumbrix-batch's own.
struct Settings {
    static constexpr SettingRange kSizeRange{32, 160};
    static constexpr SettingRange kQualityRange{20, 100};

    int windowLeft = 0;
    int windowTop = 0;
    std::string destination;  // empty: the default folder; the batch's ends with "/"
    // The preview window's folder; empty: the default one. Unset: the file
    // keeps what it holds.
    std::optional<std::string> loadFolder = std::string();
    int size = 32;  // longer side of a thumbnail
    int quality = 60;
    bool bestQuality = true;  // accurate inverse DCT when decoding
    bool smoothing = false;   // block smoothing when decoding
    bool progressive = false;
    std::string prefix;  // put before the source's name
    std::string suffix;  // put after it
    bool keepDate = false;
    bool autoOrient = true;   // turn photos upright by their EXIF Orientation
    bool toSrgb = true;       // convert photos tagged with an ICC profile to sRGB
    bool allFormats = false;  // the window takes every format the table reads

    bool optimize = false;                  // optimised Huffman tables
    bool draft = false;                     // decode at the smallest scale still twice the size
    const PictureFormat* format = nullptr;  // the thumbnails' format; null: JPEG
    std::string output;                     // -o: the one source's thumbnail, exactly
    bool enlarge = true;                    // scale pictures smaller than the size up
    uint32_t background = 0xffffff;         // under transparent pixels, without alpha
};
