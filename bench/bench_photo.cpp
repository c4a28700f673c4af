// What a tagged photo costs on its way to a thumbnail, and where to convert
// its colours: the decoded picture, or the finished thumbnail (what the run
// does with RGB photos). The counter "error" is the mean difference, in
// levels of 255, from the thumbnail of the same photo made in sRGB.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>

#include "codec/jpegimage.h"
#include "codec/srgbtransform.h"
#include "conversion/resampler.h"
#include "image/orientation.h"
#include "tests/support/phototags.h"

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

QByteArray Encode(const TBitmap& picture) {
    TJPEGImage jpeg;
    jpeg.Assign(picture);
    jpeg.SetEncodeQuality(90);
    return jpeg.SaveToBytes();
}

struct Photos {
    QByteArray srgb, adobe, rotated;
    QByteArray profile;
};

const Photos& Corpus() {
    static const Photos photos = [] {
        Photos p;
        const TBitmap original = Original();
        p.profile = AdobeRgbProfile();
        p.srgb = Encode(original);
        // The same photo expressed in Adobe RGB, tagged.
        p.adobe = WithIccProfile(Encode(FromSrgb(original, p.profile)), p.profile);
        p.rotated = WithSegment(p.srgb, 0xE1, ExifBody(6));
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
        state.counters["error"] = MeanDifference(thumbnail, Thumbnail(photos.srgb, true, true));
    if (way == 3) state.counters["portrait"] = thumbnail.height() > thumbnail.width();
}

}  // namespace

BENCHMARK(PhotoToThumbnail)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
