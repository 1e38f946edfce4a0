// SPDX-License-Identifier: MIT
// How much of one core converting a play to a 44100 Hz output takes, for a
// range of play rates: the whole sound is read as the output would pull it
// (20 ms at a time) and the process's CPU time is divided by the sound's
// duration.
//
//   bench_resample [SECONDS_OF_SOUND]

#include <time.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "sound/resampler.h"

namespace {

double CpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 20.0;
    constexpr std::int32_t kOutput = 44100;
    std::printf("%12s %10s %12s %10s\n", "play rate", "samples", "cpu seconds", "one core");
    for (std::int32_t rate :
         {8000, 22050, 36000, 44100, 48000, 96000, 180000, 400000, 1000000, 10000000, 1073741823}) {
        // The highest rates get a shorter sound, so the trace stays in memory.
        const double length = std::min(seconds, 2.0e8 / rate);
        const auto count = static_cast<std::size_t>(length * rate);
        std::vector<unsigned char> pcm(2 * count);
        std::uint32_t x = 12345;
        for (std::size_t i = 0; i < count; ++i) {
            x = x * 1664525u + 1013904223u;  // a tone under some noise
            const auto v = static_cast<std::uint16_t>(
                static_cast<std::int16_t>(8000 * std::sin(static_cast<double>(i) * 0.01)) +
                static_cast<std::int16_t>((x >> 20) & 0xFFF) - 2048);
            pcm[2 * i] = static_cast<unsigned char>(v & 0xFF);
            pcm[2 * i + 1] = static_cast<unsigned char>(v >> 8);
        }
        const double start = CpuSeconds();
        tremorline::sound::Resampler resampler(pcm, rate, kOutput);
        std::vector<std::int16_t> pull(kOutput / 50);  // 20 ms, as the output pulls
        std::size_t got = 0;
        while (!resampler.AtEnd()) {
            got += resampler.Read(pull);
        }
        const double cpu = CpuSeconds() - start;
        const double sound = static_cast<double>(got) / kOutput;
        std::printf("%12d %10zu %12.3f %9.2f%%\n", rate, count, cpu, 100.0 * cpu / sound);
    }
    return 0;
}
