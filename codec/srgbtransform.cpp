#include "codec/srgbtransform.h"

#include <lcms2.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "image/bitmap.h"

namespace {

// A profile counts as sRGB when no sample of the grid moves by more than
// this: sRGB profiles differ among themselves by rounding of their curves.
constexpr int kSrgbTolerance = 1;

struct ProfileClose {
    void operator()(void* profile) const { cmsCloseProfile(profile); }
};
using Profile = std::unique_ptr<void, ProfileClose>;

cmsUInt32Number InputFormat(SrgbTransform::Input input) {
    switch (input) {
        case SrgbTransform::Input::Gray:
            return TYPE_GRAY_8;
        case SrgbTransform::Input::Bgr:
            return TYPE_BGR_8;
        case SrgbTransform::Input::Cmyk:
            return TYPE_CMYK_8;
        case SrgbTransform::Input::InvertedCmyk:
            return TYPE_CMYK_8_REV;
    }
    return TYPE_BGR_8;
}

cmsColorSpaceSignature SpaceOf(SrgbTransform::Input input) {
    switch (input) {
        case SrgbTransform::Input::Gray:
            return cmsSigGrayData;
        case SrgbTransform::Input::Bgr:
            return cmsSigRgbData;
        default:
            return cmsSigCmykData;
    }
}

int BytesPerPixel(SrgbTransform::Input input) {
    switch (input) {
        case SrgbTransform::Input::Gray:
            return 1;
        case SrgbTransform::Input::Bgr:
            return 3;
        default:
            return 4;
    }
}

}  // namespace

std::unique_ptr<SrgbTransform> SrgbTransform::Make(const QByteArray& profile, Input input) {
    if (profile.isEmpty()) return nullptr;
    const Profile source(
        cmsOpenProfileFromMem(profile.constData(), cmsUInt32Number(profile.size())));
    if (!source || cmsGetColorSpace(source.get()) != SpaceOf(input)) return nullptr;
    const Profile srgb(cmsCreate_sRGBProfile());
    if (!srgb) return nullptr;
    cmsHTRANSFORM transform = cmsCreateTransform(source.get(), InputFormat(input), srgb.get(),
                                                 TYPE_BGR_8, INTENT_PERCEPTUAL, 0);
    if (transform == nullptr) return nullptr;
    std::unique_ptr<SrgbTransform> result(new SrgbTransform(transform, input));
    if (result->actsAsSrgb()) return nullptr;
    return result;
}

SrgbTransform::~SrgbTransform() {
    cmsDeleteTransform(transform_);
}

bool SrgbTransform::actsAsSrgb() const {
    if (input_ == Input::Cmyk || input_ == Input::InvertedCmyk) return false;
    // Every gray level, and a 16-step grid of the colour cube.
    std::vector<unsigned char> in;
    for (int v = 0; v < 256; ++v) in.insert(in.end(), BytesPerPixel(input_), v);
    if (input_ == Input::Bgr) {
        for (int b = 0; b < 256; b += 17)
            for (int g = 0; g < 256; g += 17)
                for (int r = 0; r < 256; r += 17)
                    in.insert(in.end(), {uchar(b), uchar(g), uchar(r)});
    }
    const int count = int(in.size()) / BytesPerPixel(input_);
    std::vector<unsigned char> out(std::size_t(count) * 3);
    convertRow(in.data(), out.data(), count);
    for (int i = 0; i < count; ++i) {
        for (int c = 0; c < 3; ++c) {
            const int expected = input_ == Input::Gray ? in[i] : in[std::size_t(i) * 3 + c];
            if (std::abs(out[std::size_t(i) * 3 + c] - expected) > kSrgbTolerance) return false;
        }
    }
    return true;
}

void SrgbTransform::convertRow(const unsigned char* in, unsigned char* out, int width) const {
    if (width > 0) cmsDoTransform(transform_, in, out, cmsUInt32Number(width));
}

void SrgbTransform::convert(TBitmap& bitmap) const {
    for (int y = 0; y < bitmap.height(); ++y)
        convertRow(bitmap.scanLine(y), bitmap.scanLine(y), bitmap.width());
}

QList<QRgb> SrgbTransform::convertPalette(const QList<QRgb>& palette) const {
    std::vector<unsigned char> in;
    for (QRgb c : palette) {
        if (input_ == Input::Gray) {
            in.push_back(uchar(qRed(c)));
        } else {
            in.insert(in.end(), {uchar(qBlue(c)), uchar(qGreen(c)), uchar(qRed(c))});
        }
    }
    std::vector<unsigned char> out(std::size_t(palette.size()) * 3);
    convertRow(in.data(), out.data(), int(palette.size()));
    QList<QRgb> result;
    result.reserve(palette.size());
    for (qsizetype i = 0; i < palette.size(); ++i)
        result.append(qRgb(out[i * 3 + 2], out[i * 3 + 1], out[i * 3]));
    return result;
}
