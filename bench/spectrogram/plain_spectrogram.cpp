// SPDX-License-Identifier: MIT
// The yardstick for `tremorline-cli plot --spectrogram`: the plainest program
// that makes the same picture's substance. It streams a big-endian SAC
// trace's samples in large chunks, takes each window's mean away, shapes it
// with a Hann window, transforms it with KissFFT, adds its power to the pixel
// column its middle falls in, and writes the columns' mean power in dB as a
// PNG. One thread, one transform; no levels, no waveform, no axes, no text.
//
//   plain_spectrogram TRACE.sac OUT.png WINDOW HOP [WIDTH HEIGHT]

#include <kiss_fftr.h>

#include <QImage>
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <numbers>
#include <vector>

namespace {

std::uint32_t BigEndian(const unsigned char* bytes) {
    return std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 |
           std::uint32_t{bytes[2]} << 8 | std::uint32_t{bytes[3]};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr,
                     "usage: plain_spectrogram TRACE.sac OUT.png WINDOW HOP [WIDTH HEIGHT]\n");
        return 2;
    }
    const auto window = static_cast<std::size_t>(std::atol(argv[3]));
    const auto hop = static_cast<std::size_t>(std::atol(argv[4]));
    const auto width = static_cast<std::size_t>(argc > 6 ? std::atoi(argv[5]) : 1424);
    const auto height = static_cast<std::size_t>(argc > 6 ? std::atoi(argv[6]) : 326);
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
    if (count < window || window % 2 != 0 || hop == 0) {
        std::fprintf(stderr, "no spectrogram\n");
        return 1;
    }
    const std::size_t bins = window / 2 + 1;
    kiss_fftr_cfg config = kiss_fftr_alloc(static_cast<int>(window), 0, nullptr, nullptr);
    std::vector<float> hann(window);
    for (std::size_t i = 0; i < window; ++i) {
        hann[i] =
            static_cast<float>(0.5 - 0.5 * std::cos(2 * std::numbers::pi * static_cast<double>(i) /
                                                    static_cast<double>(window)));
    }
    std::vector<float> input(window);
    std::vector<kiss_fft_cpx> output(bins);
    std::vector<double> power(width * bins, 0.0);
    std::vector<std::size_t> frames_in(width, 0);

    // The samples not yet consumed: [first, first + samples.size()).
    std::vector<float> samples;
    std::vector<unsigned char> chunk(std::size_t{1} << 22);
    std::size_t first = 0;
    std::size_t read = 0;
    std::size_t frame_start = 0;
    while (frame_start + window <= count) {
        if (frame_start + window > first + samples.size()) {
            // Keep what later windows still need, then read the next chunk.
            samples.erase(samples.begin(),
                          samples.begin() + static_cast<std::ptrdiff_t>(frame_start - first));
            first = frame_start;
            const std::size_t want = std::min(chunk.size() / 4, count - read);
            if (std::fread(chunk.data(), 4, want, file) != want) {
                std::fprintf(stderr, "%s: short file\n", argv[1]);
                return 1;
            }
            for (std::size_t k = 0; k < want; ++k) {
                std::uint32_t bits;
                std::memcpy(&bits, chunk.data() + 4 * k, 4);
                samples.push_back(std::bit_cast<float>(__builtin_bswap32(bits)));
            }
            read += want;
            continue;
        }
        const float* x = samples.data() + (frame_start - first);
        double sum = 0;
        for (std::size_t i = 0; i < window; ++i) {
            sum += x[i];
        }
        const auto mean = static_cast<float>(sum / static_cast<double>(window));
        for (std::size_t i = 0; i < window; ++i) {
            input[i] = (x[i] - mean) * hann[i];
        }
        kiss_fftr(config, input.data(), output.data());
        const double middle = static_cast<double>(frame_start) + static_cast<double>(window) / 2;
        const auto column =
            std::min(width - 1, static_cast<std::size_t>(middle * static_cast<double>(width) /
                                                         static_cast<double>(count)));
        double* column_power = power.data() + column * bins;
        for (std::size_t k = 0; k < bins; ++k) {
            column_power[k] += output[k].r * output[k].r + output[k].i * output[k].i;
        }
        ++frames_in[column];
        frame_start += hop;
    }
    std::fclose(file);
    kiss_fftr_free(config);

    std::vector<float> db(width * bins, std::numeric_limits<float>::quiet_NaN());
    float low = std::numeric_limits<float>::infinity();
    float high = -low;
    for (std::size_t c = 0; c < width; ++c) {
        if (frames_in[c] == 0) {
            continue;
        }
        for (std::size_t k = 0; k < bins; ++k) {
            const double mean = power[c * bins + k] / static_cast<double>(frames_in[c]);
            const auto value = static_cast<float>(10 * std::log10(std::max(mean, 1e-30)));
            db[c * bins + k] = value;
            low = std::min(low, value);
            high = std::max(high, value);
        }
    }
    QImage image(static_cast<int>(width), static_cast<int>(height), QImage::Format_RGB32);
    image.fill(Qt::white);
    for (std::size_t y = 0; y < height; ++y) {
        const std::size_t bin = (bins - 1) * (height - 1 - y) / (height - 1);
        for (std::size_t x = 0; x < width; ++x) {
            const float value = db[x * bins + bin];
            if (std::isnan(value)) {
                continue;
            }
            const int level = static_cast<int>(std::lround(255 * (value - low) / (high - low)));
            image.setPixel(static_cast<int>(x), static_cast<int>(y),
                           qRgb(level, level, 255 - level));
        }
    }
    if (!image.save(argv[2], "PNG")) {
        std::fprintf(stderr, "%s: cannot write\n", argv[2]);
        return 1;
    }
    return 0;
}
