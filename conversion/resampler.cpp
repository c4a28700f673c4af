#include "conversion/resampler.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include "image/bitmap.h"

// The geometry is computed the way the original arithmetic did it: every
// intermediate in 80-bit extended precision (long double on x86-64), rounded to
// double only where a named value is stored. Which side of a pixel edge a
// sample lands on, and so the output bytes, depend on it.
namespace {

using Extended = long double;

double Add(double a, double b) {
    return static_cast<double>(Extended{a} + Extended{b});
}

// trunc(v) clamped to 0..max, without overflowing the int conversion.
int ClampedIndex(double v, int max) {
    if (v < 1.0) return 0;
    if (v >= static_cast<double>(max)) return max;
    return static_cast<int>(v);
}

double SampleSpacing(double step, int n) {
    return static_cast<double>(Extended{step} / n);
}

// Sample indices along one axis: `cells` cells starting at `offset`, n samples
// each. The same for every row (columns) or every column (rows) of a thumbnail.
std::vector<int> SampleIndices(double offset, double step, double sub, int n, int cells, int max) {
    std::vector<int> indices(static_cast<size_t>(cells) * n);
    double start = offset;
    size_t k = 0;
    for (int cell = 0; cell < cells; ++cell) {
        double s = start;
        for (int j = 0; j < n; ++j) {
            indices[k++] = ClampedIndex(s, max);
            s = Add(sub, s);
        }
        start = Add(step, start);
    }
    return indices;
}

// How many samples from i on fall on the same row as sample i. A picture far
// wider than high (or the reverse) samples each of its few rows thousands of
// times; adding each such run once keeps the work to one pass a row.
int RunLength(const int* rows, int i, int n) {
    int run = 1;
    while (i + run < n && rows[i + run] == rows[i]) ++run;
    return run;
}

// Column sums of the sample rows of one destination row. uint16 lanes take up
// to 257 samples of 255 before they are folded into 64-bit totals.
class RowSums {
public:
    RowSums(int firstByte, int endByte)
        : first_(firstByte), count_(endByte - firstByte), block_(count_), total_(count_) {}

    void accumulate(const TBitmap& source, const int* rows, int n) {
        std::fill(total_.begin(), total_.end(), 0);
        int i = 0;
        while (i < n) {
            if (const int run = RunLength(rows, i, n); run >= kBlockSamples) {
                addRowTimes(source.scanLine(rows[i]) + first_, uint64_t(run));
                i += run;
                continue;
            }
            std::fill(block_.begin(), block_.end(), 0);
            int inBlock = 0;
            while (i < n && inBlock < kBlockSamples) {
                int repeat = RunLength(rows, i, n);
                if (repeat >= kBlockSamples) break;  // added whole, above
                repeat = std::min(repeat, kBlockSamples - inBlock);
                if (repeat == 1 && i + 4 <= n && inBlock + 4 <= kBlockSamples) {
                    // Four rows per pass: a quarter of the loads and stores of
                    // the sums, which is what bounds this loop.
                    addRows(source.scanLine(rows[i]) + first_,
                            source.scanLine(rows[i + 1]) + first_,
                            source.scanLine(rows[i + 2]) + first_,
                            source.scanLine(rows[i + 3]) + first_);
                    repeat = 4;
                } else {
                    addRow(source.scanLine(rows[i]) + first_, static_cast<uint16_t>(repeat));
                }
                inBlock += repeat;
                i += repeat;
            }
            for (int k = 0; k < count_; ++k) total_[k] += block_[k];
        }
    }

    // Total of byte `offset` of the row (offset counted from byte 0 of the row).
    uint64_t at(int offset) const { return total_[offset - first_]; }

private:
    static constexpr int kBlockSamples = 257;

    void addRow(const uchar* p, uint16_t repeat) {
        uint16_t* acc = block_.data();
        if (repeat == 1) {
            for (int k = 0; k < count_; ++k) acc[k] = static_cast<uint16_t>(acc[k] + p[k]);
        } else {
            for (int k = 0; k < count_; ++k) acc[k] = static_cast<uint16_t>(acc[k] + p[k] * repeat);
        }
    }

    // A row sampled many times over, straight into the totals.
    void addRowTimes(const uchar* p, uint64_t times) {
        for (int k = 0; k < count_; ++k) total_[k] += p[k] * times;
    }

    void addRows(const uchar* a, const uchar* b, const uchar* c, const uchar* d) {
        uint16_t* acc = block_.data();
        for (int k = 0; k < count_; ++k)
            acc[k] = static_cast<uint16_t>(acc[k] + ((a[k] + b[k]) + (c[k] + d[k])));
    }

    int first_;
    int count_;
    std::vector<uint16_t> block_;
    std::vector<uint64_t> total_;
};

// The alpha-weighted sums of a 32-bit source's sample rows: colour times alpha
// and alpha, per column. Values up to 255 * 255 need wider lanes than RowSums'.
class AlphaRowSums {
public:
    AlphaRowSums(int firstColumn, int endColumn)
        : first_(firstColumn), total_(size_t(endColumn - firstColumn) * 4) {}

    void accumulate(const TBitmap& source, const int* rows, int n) {
        std::fill(total_.begin(), total_.end(), 0);
        const int count = int(total_.size() / 4);
        for (int i = 0; i < n;) {
            const uint64_t run = uint64_t(RunLength(rows, i, n));
            const uchar* p = source.scanLine(rows[i]) + size_t(first_) * 4;
            uint64_t* acc = total_.data();
            for (int k = 0; k < count; ++k, p += 4, acc += 4) {
                const uint64_t alpha = p[3] * run;
                acc[0] += p[0] * alpha;
                acc[1] += p[1] * alpha;
                acc[2] += p[2] * alpha;
                acc[3] += alpha;
            }
            i += int(run);
        }
    }

    // Blue, green, red (times alpha) and alpha of a column.
    const uint64_t* at(int column) const { return total_.data() + size_t(column - first_) * 4; }

private:
    int first_;
    std::vector<uint64_t> total_;
};

void ScaleKeepingAlpha(TBitmap& dest, const TBitmap& src, const ThumbnailGeometry& g, int n,
                       const std::vector<int>& cols, const std::vector<int>& rows,
                       const PixelDone& pixelDone) {
    const auto [minCol, maxCol] = std::minmax_element(cols.begin(), cols.end());
    AlphaRowSums sums(*minCol, *maxCol + 1);
    const uint64_t count = uint64_t(n) * uint64_t(n);
    for (int y = 0; y < g.height; ++y) {
        sums.accumulate(src, rows.data() + size_t(y) * n, n);
        uchar* out = dest.scanLine(y);
        const int* cellCols = cols.data();
        for (int x = 0; x < g.width; ++x, cellCols += n, out += 4) {
            uint64_t cell[4] = {0, 0, 0, 0};
            for (int j = 0; j < n; ++j) {
                const uint64_t* column = sums.at(cellCols[j]);
                for (int c = 0; c < 4; ++c) cell[c] += column[c];
            }
            // A clear cell has no colour to keep: black, as premultiplied zero is.
            for (int c = 0; c < 3; ++c) out[c] = cell[3] ? uchar(cell[c] / cell[3]) : 0;
            out[3] = uchar(cell[3] / count);
            if (pixelDone) pixelDone(x, y, g.width, g.height);
        }
    }
}

}  // namespace

ThumbnailGeometry ComputeThumbnailGeometry(int sourceWidth, int sourceHeight, int size) {
    ThumbnailGeometry g;
    g.width = size;
    g.height = size;
    if (sourceWidth < 1 || sourceHeight < 1) return g;

    const bool landscape = sourceWidth > sourceHeight;
    const int longer = landscape ? sourceWidth : sourceHeight;
    const int shorter = landscape ? sourceHeight : sourceWidth;
    // Rounded half up; 64-bit so that very large sources cannot overflow.
    int64_t side = (int64_t{shorter} * 2 * size / longer + 1) / 2;
    side = std::clamp<int64_t>(side, 1, size);

    g.step = static_cast<double>(Extended(longer) / size);
    const double ratio = static_cast<double>(Extended(shorter) / longer);
    const double diff = static_cast<double>(Extended{ratio} - Extended(side) / size);
    const double offset = static_cast<double>(Extended(longer) * diff * 0.5L);
    if (landscape) {
        g.height = static_cast<int>(side);
        g.offY = offset;
    } else {
        g.width = static_cast<int>(side);
        g.offX = offset;
    }
    return g;
}

int SamplesPerAxis(double step) {
    if (step < 10.0) return 10;
    const Extended n = std::trunc(Extended{step} + Extended{0.99});
    return n >= Extended(INT32_MAX) ? INT32_MAX : static_cast<int>(n);
}

uint32_t AverageCell(const TBitmap& source, double step, double top, double left) {
    const int n = SamplesPerAxis(step);
    const double sub = SampleSpacing(step, n);
    const int wmax = source.width() - 1;
    const int hmax = source.height() - 1;
    uint64_t blue = 0, green = 0, red = 0, count = 0;
    double sy = top;
    for (int i = 0; i < n; ++i) {
        const uchar* line = source.scanLine(ClampedIndex(sy, hmax));
        double sx = left;
        for (int j = 0; j < n; ++j) {
            const uchar* p = line + ClampedIndex(sx, wmax) * 3;
            blue += p[0];
            green += p[1];
            red += p[2];
            ++count;
            sx = Add(sub, sx);
        }
        sy = Add(sub, sy);
    }
    return static_cast<uint32_t>(red / count) | static_cast<uint32_t>(green / count) << 8 |
           static_cast<uint32_t>(blue / count) << 16;
}

void ScaleToThumbnail(TBitmap& dest, const TBitmap& source, int size, const PixelDone& pixelDone,
                      const AlphaChoice& alpha) {
    const ThumbnailGeometry g = ComputeThumbnailGeometry(source.width(), source.height(), size);
    const bool keepAlpha = alpha.keep && source.pixelFormat() == TBitmap::PixelFormat::Bits32;
    dest.setPixelFormat(keepAlpha ? TBitmap::PixelFormat::Bits32 : TBitmap::PixelFormat::Bits24);
    dest.setSize(g.width, g.height);
    if (source.isEmpty()) return;

    std::optional<TBitmap> converted;
    if (source.pixelFormat() != TBitmap::PixelFormat::Bits24 && !keepAlpha) {
        converted = source;
        converted->layOnBackground(0xff000000u | alpha.background);
        converted->setPixelFormat(TBitmap::PixelFormat::Bits24);
    }
    const TBitmap& src = converted ? *converted : source;

    // Every cell of a column samples the same source columns, and every cell of
    // a row the same source rows, so the sums separate: add the sample rows of
    // a destination row once, then pick the sample columns out of those sums.
    // Integer sums are exact in any order, so the bytes equal AverageCell's.
    const int n = SamplesPerAxis(g.step);
    const double sub = SampleSpacing(g.step, n);
    const std::vector<int> cols = SampleIndices(g.offX, g.step, sub, n, g.width, src.width() - 1);
    const std::vector<int> rows = SampleIndices(g.offY, g.step, sub, n, g.height, src.height() - 1);
    if (keepAlpha) return ScaleKeepingAlpha(dest, src, g, n, cols, rows, pixelDone);
    const auto [minCol, maxCol] = std::minmax_element(cols.begin(), cols.end());
    RowSums sums(*minCol * 3, (*maxCol + 1) * 3);
    const uint64_t count = uint64_t(n) * uint64_t(n);

    for (int y = 0; y < g.height; ++y) {
        sums.accumulate(src, rows.data() + size_t(y) * n, n);
        uchar* out = dest.scanLine(y);
        const int* cellCols = cols.data();
        for (int x = 0; x < g.width; ++x, cellCols += n) {
            uint64_t blue = 0, green = 0, red = 0;
            for (int j = 0; j < n; ++j) {
                const int offset = cellCols[j] * 3;
                blue += sums.at(offset);
                green += sums.at(offset + 1);
                red += sums.at(offset + 2);
            }
            out[x * 3] = static_cast<uchar>(blue / count);
            out[x * 3 + 1] = static_cast<uchar>(green / count);
            out[x * 3 + 2] = static_cast<uchar>(red / count);
            if (pixelDone) pixelDone(x, y, g.width, g.height);
        }
    }
}
