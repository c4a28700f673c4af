#pragma once

#include <cstdint>

enum class JpegDecodeMode : std::uint8_t { QualityFirst = 0, SpeedFirst = 1 };
enum class JpegOutputDepth : std::uint8_t { Depth24 = 0, Depth8 = 1 };
// The code is the power of two of the reduction: 1/1, 1/2, 1/4, 1/8.
enum class JpegDecodeScale : std::uint8_t {
    ScaleFull = 0,
    ScaleHalf = 1,
    ScaleQuarter = 2,
    ScaleEighth = 3
};

// The settings every TJPEGImage starts with.
struct JpegSettings {
    std::uint8_t EncodeQuality = 90;  // 1..100
    bool GrayOutput = false;
    JpegDecodeMode DecodeMode = JpegDecodeMode::QualityFirst;
    JpegOutputDepth OutputDepth = JpegOutputDepth::Depth24;
    bool ScanByScanDisplay = false;
    bool ProgressiveWrite = false;
    JpegDecodeScale DecodeScale = JpegDecodeScale::ScaleFull;
    bool BlockSmoothing = true;
    // Decoding turns samples tagged with a non-sRGB ICC profile into sRGB.
    bool SrgbOutput = false;
};

// The process-wide defaults, made on first use: OutputDepth is Depth8 when the
// primary screen has 8 bits per pixel or fewer. Call it first after the
// QGuiApplication exists (without one, or without a screen, the depth is 24).
JpegSettings& DefaultJpegSettings();

// Bits per pixel of the primary screen; 24 without a QGuiApplication or screen.
int ScreenBitsPerPixel();

// The default output depth for a screen of the given bits per pixel.
JpegOutputDepth OutputDepthForScreen(int bitsPerPixel);
