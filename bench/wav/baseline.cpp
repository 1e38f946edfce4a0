// SPDX-License-Identifier: MIT
// The plain way to turn a SAC trace into a WAVE file, for the WAV benchmark:
// read the samples, take their mean and extremes, scale to 16 bits and write
// the file. No checks beyond what it needs to run.
//
//   baseline TRACE.sac OUT.wav RATE [--fsync]
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::uint32_t Swap(std::uint32_t v) {
    return __builtin_bswap32(v);
}

void Put32(unsigned char* p, std::uint32_t v) {
    std::memcpy(p, &v, 4);
}
void Put16(unsigned char* p, std::uint16_t v) {
    std::memcpy(p, &v, 2);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: baseline TRACE OUT RATE [--fsync]\n");
        return 2;
    }
    const bool sync = argc > 4 && std::string(argv[4]) == "--fsync";
    const auto rate = static_cast<std::uint32_t>(std::atoi(argv[3]));
    std::FILE* in = std::fopen(argv[1], "rb");
    unsigned char header[632];
    if (!in || std::fread(header, 1, 632, in) != 632)
        return 1;
    std::uint32_t day, npts_bits;
    std::memcpy(&day, header + 284, 4);
    const bool swap = !(day >= 1 && day <= 366);
    std::memcpy(&npts_bits, header + 280 + 36, 4);
    const std::size_t n = swap ? Swap(npts_bits) : npts_bits;

    std::vector<float> samples(n);
    if (std::fread(samples.data(), 4, n, in) != n)
        return 1;
    std::fclose(in);
    if (swap) {
        for (float& s : samples) {
            std::uint32_t u;
            std::memcpy(&u, &s, 4);
            u = Swap(u);
            std::memcpy(&s, &u, 4);
        }
    }
    double sum = 0;
    float hi = samples[0], lo = samples[0];
    for (float s : samples) {
        sum += s;
        hi = std::max(hi, s);
        lo = std::min(lo, s);
    }
    const double bias = static_cast<float>(sum / static_cast<double>(n));
    const float peak = std::max(static_cast<float>(hi - bias), static_cast<float>(bias - lo));
    const double scale = static_cast<float>(32760.0 / peak);

    std::vector<std::int16_t> audio(n);
    for (std::size_t i = 0; i < n; ++i) {
        audio[i] = static_cast<std::int16_t>(std::nearbyint((samples[i] - bias) * scale));
    }
    unsigned char wav[44];
    std::memcpy(wav, "RIFF", 4);
    Put32(wav + 4, static_cast<std::uint32_t>(2 * n + 36));
    std::memcpy(wav + 8, "WAVEfmt ", 8);
    Put32(wav + 16, 16);
    Put16(wav + 20, 1);
    Put16(wav + 22, 1);
    Put32(wav + 24, rate);
    Put32(wav + 28, 2 * rate);
    Put16(wav + 32, 2);
    Put16(wav + 34, 16);
    std::memcpy(wav + 36, "data", 4);
    Put32(wav + 40, static_cast<std::uint32_t>(2 * n));

    std::FILE* out = std::fopen(argv[2], "wb");
    if (!out || std::fwrite(wav, 1, 44, out) != 44 || std::fwrite(audio.data(), 2, n, out) != n ||
        std::fflush(out) != 0) {
        return 1;
    }
    if (sync && ::fsync(::fileno(out)) != 0)
        return 1;
    return std::fclose(out) == 0 ? 0 : 1;
}
