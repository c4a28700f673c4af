// The resampler against the floor of one plain pass over the same source bytes.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <map>
#include <memory>
#include <utility>

#include "conversion/resampler.h"
#include "image/bitmap.h"

namespace {

// Sources are large (the biggest is 900 MB), so each is made once.
const TBitmap& Source(int width, int height) {
    static std::map<std::pair<int, int>, std::unique_ptr<TBitmap>> cache;
    auto& slot = cache[{width, height}];
    if (!slot) {
        slot = std::make_unique<TBitmap>(width, height);
        uint32_t state = 12345;
        for (int y = 0; y < height; ++y) {
            uchar* row = slot->scanLine(y);
            for (int x = 0; x < width * 3; ++x) {
                state = state * 1664525u + 1013904223u;
                row[x] = static_cast<uchar>((x / 3 + y) / 16 + (state >> 28));
            }
        }
    }
    return *slot;
}

void Resample(benchmark::State& state) {
    const TBitmap& source = Source(int(state.range(0)), int(state.range(1)));
    const int size = int(state.range(2));
    TBitmap dest;
    for (auto _ : state) {
        ScaleToThumbnail(dest, source, size);
        benchmark::DoNotOptimize(dest.scanLine(0));
    }
    state.SetBytesProcessed(state.iterations() * int64_t(source.width()) * 3 * source.height());
}

// Reads every source byte once: the least that any exact reduction must do.
void PlainPass(benchmark::State& state) {
    const TBitmap& source = Source(int(state.range(0)), int(state.range(1)));
    const int rowBytes = source.width() * 3;
    for (auto _ : state) {
        uint64_t total = 0;
        for (int y = 0; y < source.height(); ++y) {
            const uchar* row = source.scanLine(y);
            uint32_t rowTotal = 0;
            for (int x = 0; x < rowBytes; ++x) rowTotal += row[x];
            total += rowTotal;
        }
        benchmark::DoNotOptimize(total);
    }
    state.SetBytesProcessed(state.iterations() * int64_t(rowBytes) * source.height());
}

}  // namespace

BENCHMARK(Resample)->Args({1500, 1000, 160})->Unit(benchmark::kMillisecond);
BENCHMARK(PlainPass)->Args({1500, 1000, 0})->Unit(benchmark::kMillisecond);
BENCHMARK(Resample)->Args({6000, 4000, 160})->Unit(benchmark::kMillisecond);
BENCHMARK(PlainPass)->Args({6000, 4000, 0})->Unit(benchmark::kMillisecond);
BENCHMARK(Resample)->Args({20000, 15000, 32})->Unit(benchmark::kMillisecond);
BENCHMARK(PlainPass)->Args({20000, 15000, 0})->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
