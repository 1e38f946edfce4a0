// SPDX-License-Identifier: MIT
// The yardstick for `tremorline-cli plot`: the plainest program that makes
// the same picture's substance. It reads a big-endian SAC trace's samples in
// large chunks, takes each pixel column's min and max by scanning every
// sample, draws the columns' bars on an image and writes it as PNG. No
// summary, no axes, no markers, no text.
//
//   plain_plot TRACE.sac OUT.png [WIDTH HEIGHT]

#include <QColor>
#include <QImage>
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

namespace {

std::uint32_t BigEndian(const unsigned char* bytes) {
    return std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 |
           std::uint32_t{bytes[2]} << 8 | std::uint32_t{bytes[3]};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: plain_plot TRACE.sac OUT.png [WIDTH HEIGHT]\n");
        return 2;
    }
    const int width = argc > 4 ? std::atoi(argv[3]) : 1600;
    const int height = argc > 4 ? std::atoi(argv[4]) : 500;
    std::FILE* file = std::fopen(argv[1], "rb");
    if (file == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    unsigned char header[632];
    if (std::fread(header, 1, sizeof header, file) != sizeof header) {
        std::fprintf(stderr, "%s: no SAC header\n", argv[1]);
        return 1;
    }
    const auto count = static_cast<std::size_t>(BigEndian(header + 316));  // NPTS
    std::vector<float> min(static_cast<std::size_t>(width), std::numeric_limits<float>::infinity());
    std::vector<float> max(static_cast<std::size_t>(width),
                           -std::numeric_limits<float>::infinity());
    std::vector<unsigned char> chunk(std::size_t{1} << 22);
    // Column c covers samples [c * count / width, (c + 1) * count / width).
    auto column_start = [&](std::size_t column) {
        return column * count / static_cast<std::size_t>(width);
    };
    std::size_t index = 0;
    std::size_t column = 0;
    std::size_t column_end = column_start(1);
    while (index < count) {
        const std::size_t want = std::min(chunk.size() / 4, count - index);
        if (std::fread(chunk.data(), 4, want, file) != want) {
            std::fprintf(stderr, "%s: short file\n", argv[1]);
            return 1;
        }
        std::size_t k = 0;
        while (k < want) {
            while (index + k >= column_end) {
                ++column;
                column_end = column_start(column + 1);
            }
            const std::size_t stop = std::min(want, column_end - index);
            float low = min[column];
            float high = max[column];
            for (; k < stop; ++k) {
                std::uint32_t bits;
                std::memcpy(&bits, chunk.data() + 4 * k, 4);
                const float value = std::bit_cast<float>(__builtin_bswap32(bits));
                low = std::min(low, value);
                high = std::max(high, value);
            }
            min[column] = low;
            max[column] = high;
        }
        index += want;
    }
    std::fclose(file);

    float low = std::numeric_limits<float>::infinity();
    float high = -low;
    for (int x = 0; x < width; ++x) {
        low = std::min(low, min[static_cast<std::size_t>(x)]);
        high = std::max(high, max[static_cast<std::size_t>(x)]);
    }
    const float scale = high > low ? static_cast<float>(height - 1) / (high - low) : 0.0f;
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int x = 0; x < width; ++x) {
        const auto column = static_cast<std::size_t>(x);
        if (!(min[column] <= max[column])) {
            continue;
        }
        const int top = height - 1 - static_cast<int>(std::lround((max[column] - low) * scale));
        const int bottom = height - 1 - static_cast<int>(std::lround((min[column] - low) * scale));
        for (int y = top; y <= bottom; ++y) {
            image.setPixel(x, y, qRgb(0, 0, 0));
        }
    }
    if (!image.save(argv[2], "PNG")) {
        std::fprintf(stderr, "%s: cannot write\n", argv[2]);
        return 1;
    }
    return 0;
}
