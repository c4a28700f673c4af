// What a tagged photo costs on its way to a thumbnail, and where to convert
// its colours: the decoded picture, or the finished thumbnail (what the run
// does with RGB photos). The counter "error" is the mean difference, in
// levels of 255, from the thumbnail of the same photo made in sRGB.
#include <benchmark/benchmark.h>
#include <lcms2.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "codec/jpegimage.h"
#include "codec/srgbtransform.h"
#include "conversion/resampler.h"
#include "image/orientation.h"

namespace {

constexpr int kWidth = 1920, kHeight = 1280, kSize = 160;

// Noise over saturated gradients, in sRGB.
TBitmap Original() {
    TBitmap picture(kWidth, kHeight);
    uint32_t state = 2024;
    for (int y = 0; y < kHeight; ++y) {
        uchar* row = picture.scanLine(y);
        for (int x = 0; x < kWidth; ++x) {
            state = state * 1664525u + 1013904223u;
            const int noise = int(state >> 28) - 8;
            row[x * 3] = uchar(std::clamp(x * 255 / kWidth + noise, 0, 255));
            row[x * 3 + 1] = uchar(std::clamp(y * 255 / kHeight + noise, 0, 255));
            row[x * 3 + 2] = uchar(std::clamp(255 - x * 255 / kWidth - noise, 0, 255));
        }
    }
    return picture;
}

QByteArray AdobeRgb() {
    cmsCIExyY white;
    cmsWhitePointFromTemp(&white, 6504);
    const cmsCIExyYTRIPLE primaries = {{0.64, 0.33, 1}, {0.21, 0.71, 1}, {0.15, 0.06, 1}};
    cmsToneCurve* gamma = cmsBuildGamma(nullptr, 563.0 / 256.0);
    cmsToneCurve* curves[3] = {gamma, gamma, gamma};
    cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
    cmsFreeToneCurve(gamma);
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile, nullptr, &size);
    QByteArray bytes(qsizetype(size), '\0');
    cmsSaveProfileToMem(profile, bytes.data(), &size);
    cmsCloseProfile(profile);
    return bytes;
}

QByteArray Encode(const TBitmap& picture) {
    TJPEGImage jpeg;
    jpeg.Assign(picture);
    jpeg.SetEncodeQuality(90);
    return jpeg.SaveToBytes();
}

QByteArray WithSegment(const QByteArray& jpeg, char marker, const QByteArray& body) {
    QByteArray segment;
    const int length = int(body.size()) + 2;
    segment.append(char(0xFF)).append(marker).append(char(length >> 8)).append(char(length));
    return jpeg.left(2) + segment + body + jpeg.mid(2);
}

struct Photos {
    QByteArray srgb, adobe, rotated;
    QByteArray profile;
};

const Photos& Corpus() {
    static const Photos photos = [] {
        Photos p;
        const TBitmap original = Original();
        p.profile = AdobeRgb();
        p.srgb = Encode(original);
        // The same photo expressed in Adobe RGB, tagged.
        cmsHPROFILE from = cmsCreate_sRGBProfile();
        cmsHPROFILE to = cmsOpenProfileFromMem(p.profile.constData(), p.profile.size());
        cmsHTRANSFORM t =
            cmsCreateTransform(from, TYPE_BGR_8, to, TYPE_BGR_8, INTENT_PERCEPTUAL, 0);
        TBitmap adobe(kWidth, kHeight);
        for (int y = 0; y < kHeight; ++y)
            cmsDoTransform(t, original.scanLine(y), adobe.scanLine(y), kWidth);
        cmsDeleteTransform(t);
        cmsCloseProfile(to);
        cmsCloseProfile(from);
        p.adobe =
            WithSegment(Encode(adobe), char(0xE2), QByteArray("ICC_PROFILE\0\1\1", 14) + p.profile);
        const QByteArray exif("Exif\0\0II*\0\10\0\0\0\1\0\22\1\3\0\1\0\0\0\6\0\0\0\0\0\0\0", 32);
        p.rotated = WithSegment(p.srgb, char(0xE1), exif);
        return p;
    }();
    return photos;
}

TBitmap Thumbnail(const QByteArray& bytes, bool srgbWhileDecoding, bool upright) {
    TJPEGImage jpeg;
    jpeg.SetSrgbOutput(srgbWhileDecoding);
    jpeg.LoadFromBytes(bytes);
    TBitmap picture = jpeg.Bitmap();
    if (upright) TurnUpright(picture, jpeg.Orientation());
    TBitmap thumbnail;
    ScaleToThumbnail(thumbnail, picture, kSize);
    return thumbnail;
}

double MeanError(const TBitmap& a, const TBitmap& b) {
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int i = 0; i < a.width() * 3; ++i)
            sum += std::abs(a.scanLine(y)[i] - b.scanLine(y)[i]);
    return sum / (double(a.width()) * a.height() * 3);
}

// 0: untagged photo; 1: Adobe RGB photo converted while decoding; 2: the same
// photo's finished thumbnail converted; 3: untagged photo tagged Orientation 6.
void PhotoToThumbnail(benchmark::State& state) {
    const Photos& photos = Corpus();
    const int way = int(state.range(0));
    const auto transform = SrgbTransform::Make(photos.profile, SrgbTransform::Input::Bgr);
    TBitmap thumbnail;
    for (auto _ : state) {
        switch (way) {
            case 0:
                thumbnail = Thumbnail(photos.srgb, true, true);
                break;
            case 1:
                thumbnail = Thumbnail(photos.adobe, true, true);
                break;
            case 2:
                thumbnail = Thumbnail(photos.adobe, false, true);
                for (int y = 0; y < thumbnail.height(); ++y)
                    transform->convertRow(thumbnail.scanLine(y), thumbnail.scanLine(y),
                                          thumbnail.width());
                break;
            default:
                thumbnail = Thumbnail(photos.rotated, true, true);
        }
        benchmark::DoNotOptimize(thumbnail.scanLine(0));
    }
    if (way == 1 || way == 2)
        state.counters["error"] = MeanError(thumbnail, Thumbnail(photos.srgb, true, true));
    if (way == 3) state.counters["portrait"] = thumbnail.height() > thumbnail.width();
}

}  // namespace

BENCHMARK(PhotoToThumbnail)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
