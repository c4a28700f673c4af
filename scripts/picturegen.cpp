// Writes a photograph-like test picture: soft colour gradients, a few discs
// and a little grain, the same for the same seed. Output is a binary PPM on
// standard output, or a 24-bit BMP with --bmp. No dependencies beyond the
// standard library, so the scripts can build it with a plain compiler call.
//
//   picturegen WIDTH HEIGHT SEED [--bmp] > picture.ppm
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

struct Disc {
    double x, y, r;
    int colour[3];
};

uint32_t Next(uint32_t& state) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

void PutLE(std::vector<unsigned char>& out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: picturegen WIDTH HEIGHT SEED [--bmp]\n");
        return 2;
    }
    const int width = std::atoi(argv[1]);
    const int height = std::atoi(argv[2]);
    uint32_t state = static_cast<uint32_t>(std::atoi(argv[3])) * 2654435761u + 1;
    const bool bmp = argc > 4 && std::strcmp(argv[4], "--bmp") == 0;
    if (width < 1 || height < 1) return 2;

    double phase[6];
    for (double& p : phase) p = (Next(state) % 6283) / 1000.0;
    std::vector<Disc> discs(6);
    for (Disc& d : discs) {
        d.x = Next(state) % width;
        d.y = Next(state) % height;
        d.r = (0.05 + (Next(state) % 1000) / 5000.0) * (width < height ? width : height);
        for (int& c : d.colour) c = static_cast<int>(Next(state) % 256);
    }

    const long rowBytes = bmp ? (width * 3L + 3) / 4 * 4 : width * 3L;
    std::vector<unsigned char> row(rowBytes, 0);
    std::vector<unsigned char> header;
    if (bmp) {
        header.push_back('B');
        header.push_back('M');
        PutLE(header, static_cast<uint32_t>(54 + rowBytes * height), 4);
        PutLE(header, 0, 4);
        PutLE(header, 54, 4);
        PutLE(header, 40, 4);
        PutLE(header, width, 4);
        PutLE(header, static_cast<uint32_t>(-height), 4);  // top-down rows
        PutLE(header, 1, 2);
        PutLE(header, 24, 2);
        for (int i = 0; i < 6; ++i) PutLE(header, 0, 4);
        std::fwrite(header.data(), 1, header.size(), stdout);
    } else {
        std::printf("P6\n%d %d\n255\n", width, height);
    }
    // The gradients separate into terms of x and terms of y.
    std::vector<double> colA(width), colB(width), colC(width), colS(width), colK(width);
    std::vector<double> rowA(height), rowB(height), rowS(height), rowK(height);
    for (int x = 0; x < width; ++x) {
        const double u = double(x) / width;
        colA[x] = std::sin(3.1 * u + phase[0]);
        colB[x] = std::cos(1.7 * u + phase[3]);
        colC[x] = 20 * std::cos(9 * u + phase[5]);
        colS[x] = std::sin(1.9 * u + phase[4]);
        colK[x] = std::cos(1.9 * u + phase[4]);
    }
    for (int y = 0; y < height; ++y) {
        const double v = double(y) / height;
        rowA[y] = std::cos(2.3 * v + phase[1]);
        rowB[y] = std::sin(2.2 * v + phase[2]);
        rowS[y] = std::sin(1.9 * v);
        rowK[y] = std::cos(1.9 * v);
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            double rgb[3] = {
                128 + 90 * colA[x] * rowA[y],
                128 + 90 * rowB[y] * colB[x],
                128 + 90 * (colS[x] * rowK[y] + colK[x] * rowS[y]) + colC[x],
            };
            for (const Disc& d : discs) {
                const double dx = x - d.x, dy = y - d.y;
                if (std::fabs(dx) > d.r + 1 || std::fabs(dy) > d.r + 1) continue;
                const double edge = d.r - std::sqrt(dx * dx + dy * dy);
                if (edge <= -1) continue;
                const double a = edge >= 1 ? 0.8 : 0.4 * (edge + 1);
                for (int c = 0; c < 3; ++c) rgb[c] = rgb[c] * (1 - a) + d.colour[c] * a;
            }
            const int grain = static_cast<int>(Next(state) % 9) - 4;
            for (int c = 0; c < 3; ++c) {
                int value = static_cast<int>(rgb[c]) + grain;
                value = value < 0 ? 0 : value > 255 ? 255 : value;
                // BMP pixels are blue, green, red.
                row[x * 3 + (bmp ? 2 - c : c)] = static_cast<unsigned char>(value);
            }
        }
        std::fwrite(row.data(), 1, row.size(), stdout);
    }
    return 0;
}
