// Decoding through TJPEGImage against a plain libjpeg-turbo decode of the same
// bytes at the same settings (B, G, R output, accurate DCT, the recommended
// rows per call, a fresh output buffer each time).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <memory>

// clang-format off
#include <jpeglib.h>
// clang-format on

#include "codec/jpegimage.h"

namespace {

// A 3840 x 2160 picture with photographic detail: noise over gradients,
// encoded at quality 90. Made once.
const QByteArray& Photo() {
    static const QByteArray bytes = [] {
        const int width = 3840, height = 2160;
        TBitmap picture(width, height);
        uint32_t state = 2024;
        for (int y = 0; y < height; ++y) {
            uchar* row = picture.scanLine(y);
            for (int x = 0; x < width; ++x) {
                state = state * 1664525u + 1013904223u;
                const int noise = int(state >> 27) - 16;
                row[x * 3] = uchar(std::clamp(x * 255 / width + noise, 0, 255));
                row[x * 3 + 1] = uchar(std::clamp(y * 255 / height + noise, 0, 255));
                row[x * 3 + 2] =
                    uchar(std::clamp((x + y) * 255 / (width + height) - noise, 0, 255));
            }
        }
        TJPEGImage jpeg;
        jpeg.Assign(picture);
        jpeg.SetEncodeQuality(90);
        return jpeg.SaveToBytes();
    }();
    return bytes;
}

void ClassDecode(benchmark::State& state) {
    const QByteArray& bytes = Photo();
    for (auto _ : state) {
        TJPEGImage jpeg;
        jpeg.SetOutputDepth(JpegOutputDepth::Depth24);
        jpeg.SetDecodeScale(JpegDecodeScale(state.range(0)));
        jpeg.LoadFromBytes(bytes);
        const TBitmap& bitmap = jpeg.Bitmap();
        benchmark::DoNotOptimize(bitmap.scanLine(bitmap.height() - 1));
    }
    state.SetLabel(std::to_string(Photo().size()) + " bytes");
}

void PlainDecode(benchmark::State& state) {
    const QByteArray& bytes = Photo();
    for (auto _ : state) {
        jpeg_decompress_struct cinfo;
        jpeg_error_mgr err;
        cinfo.err = jpeg_std_error(&err);
        jpeg_create_decompress(&cinfo);
        jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.constData()),
                     static_cast<unsigned long>(bytes.size()));
        jpeg_read_header(&cinfo, TRUE);
        cinfo.scale_num = 1;
        cinfo.scale_denom = 1u << state.range(0);
        cinfo.out_color_space = JCS_EXT_BGR;
        jpeg_start_decompress(&cinfo);
        const std::size_t stride = (std::size_t(cinfo.output_width) * 3 + 3) & ~std::size_t(3);
        std::unique_ptr<JSAMPLE[]> pixels(new JSAMPLE[stride * cinfo.output_height]);
        JSAMPROW rows[16];
        while (cinfo.output_scanline < cinfo.output_height) {
            const JDIMENSION count = std::min<JDIMENSION>(
                JDIMENSION(cinfo.rec_outbuf_height), cinfo.output_height - cinfo.output_scanline);
            for (JDIMENSION i = 0; i < count; ++i)
                rows[i] = pixels.get() + (cinfo.output_scanline + i) * stride;
            jpeg_read_scanlines(&cinfo, rows, count);
        }
        jpeg_finish_decompress(&cinfo);
        jpeg_destroy_decompress(&cinfo);
        benchmark::DoNotOptimize(pixels.get());
    }
}

// 0 = full size, 1 = half, 2 = quarter, 3 = eighth.
BENCHMARK(ClassDecode)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(PlainDecode)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
