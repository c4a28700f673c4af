#pragma once

#include <QByteArray>
#include <QList>
#include <QRgb>
#include <memory>

class TBitmap;

// Turns the samples of a picture tagged with an ICC profile into sRGB with
// LittleCMS (perceptual intent), writing blue, green, red bytes.
class SrgbTransform {
public:
    // What the decoder hands over: one gray byte, blue-green-red bytes, or
    // CMYK (inverted: stored as Adobe writes it, 255 = no ink).
    enum class Input { Gray, Bgr, Cmyk, InvertedCmyk };

    // Null when the profile cannot be read, does not describe this input, or
    // already gives sRGB: judged by what it does to a grid of colours, not by
    // its name, so that any sRGB profile leaves the bytes alone.
    static std::unique_ptr<SrgbTransform> Make(const QByteArray& profile, Input input);
    ~SrgbTransform();
    SrgbTransform(const SrgbTransform&) = delete;
    SrgbTransform& operator=(const SrgbTransform&) = delete;

    Input input() const { return input_; }
    // width pixels from in (1, 3 or 4 bytes each) to out (3 bytes each); in
    // and out may be the same row for Bgr.
    void convertRow(const unsigned char* in, unsigned char* out, int width) const;
    // A 24-bit bitmap in place (Bgr only).
    void convert(TBitmap& bitmap) const;
    // A gray or colour palette, entry by entry (Gray reads each entry's red).
    QList<QRgb> convertPalette(const QList<QRgb>& palette) const;

private:
    SrgbTransform(void* transform, Input input) : transform_(transform), input_(input) {}
    bool actsAsSrgb() const;

    void* transform_;  // cmsHTRANSFORM
    Input input_;
};
