// SPDX-License-Identifier: MIT
#include "sound/resampler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "common/user_error.h"

namespace tremorline::sound {
namespace {

std::vector<unsigned char> LittleEndian(const std::vector<std::int16_t>& samples) {
    std::vector<unsigned char> bytes;
    for (std::int16_t s : samples) {
        const auto u = static_cast<std::uint16_t>(s);
        bytes.push_back(static_cast<unsigned char>(u & 0xFF));
        bytes.push_back(static_cast<unsigned char>(u >> 8));
    }
    return bytes;
}

// Reads the whole sound in pieces of `piece` samples.
std::vector<std::int16_t> ReadAll(Resampler& resampler, std::size_t piece) {
    std::vector<std::int16_t> all;
    std::vector<std::int16_t> buffer(piece);
    while (!resampler.AtEnd()) {
        const std::size_t got = resampler.Read(buffer);
        all.insert(all.end(), buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(got));
        if (got < piece) {
            EXPECT_TRUE(resampler.AtEnd()) << "a short read before the end";
        }
    }
    EXPECT_EQ(resampler.Read(buffer), 0u);
    return all;
}

// Samples of a tone of `frequency` Hz (plus, optionally, one of `extra` Hz)
// at `rate` samples per second, at amplitude 12000 each.
std::vector<std::int16_t> Tone(std::size_t count, double rate, double frequency, double extra = 0) {
    std::vector<std::int16_t> samples(count);
    for (std::size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / rate;
        double v = 12000 * std::sin(2 * std::numbers::pi * frequency * t);
        if (extra > 0) {
            v += 12000 * std::sin(2 * std::numbers::pi * extra * t + 0.3);
        }
        samples[i] = static_cast<std::int16_t>(std::lround(v));
    }
    return samples;
}

// Normalised correlation of `heard` with a pure tone of `frequency` Hz at
// `rate`, leaving out the first and last tenth (the converter's edges).
double CorrelationWithTone(const std::vector<std::int16_t>& heard, double rate, double frequency) {
    double xy = 0, xx = 0, yy = 0;
    for (std::size_t k = heard.size() / 10; k < heard.size() - heard.size() / 10; ++k) {
        const double x = heard[k];
        const double y = std::sin(2 * std::numbers::pi * frequency * static_cast<double>(k) / rate);
        xy += x * y;
        xx += x * x;
        yy += y * y;
    }
    return xx > 0 && yy > 0 ? xy / std::sqrt(xx * yy) : 0;
}

TEST(Resampler, EqualRatesPassEverySampleThroughUnchanged) {
    const std::vector<std::int16_t> samples = {0, 1, -1, 32767, -32768, 12345, -32760, 7};
    const auto bytes = LittleEndian(samples);
    for (std::size_t piece : {1u, 3u, 8u, 100u}) {
        Resampler resampler(bytes, 44100, 44100);
        EXPECT_TRUE(resampler.PassesThrough());
        EXPECT_EQ(resampler.OutputLength(), samples.size());
        EXPECT_EQ(ReadAll(resampler, piece), samples) << "pieces of " << piece;
    }
}

// Every conversion keeps pitch and speed: a tone within both bands comes out
// at the same frequency, and N samples at R Hz last N / R seconds. A second
// tone above the output's band, where there is one, must be filtered away
// rather than folded back into the sound.
TEST(Resampler, KeepsPitchAndDurationAtEveryRatio) {
    const struct {
        std::int32_t play;
        std::int32_t output;
        std::size_t count;
        double tone;   // Hz, heard at the same frequency
        double above;  // Hz, above the output's band: must vanish (0: none)
    } cases[] = {
        {3, 44100, 60, 0.15, 0},  // 14700 times up
        {10, 8000, 200, 0.5, 0},
        {49, 44100, 980, 2.45, 0},
        {8000, 44100, 8000, 400, 0},
        {36000, 48000, 36000, 1800, 0},
        {44100, 8000, 44100, 400, 10000},
        {400000, 8000, 400000, 400, 100000},            // 50 times down, soxr alone
        {8820000, 44100, 882000, 2205, 1000000},        // decimated first
        {1073741823, 44100, 5000000, 2205, 100000000},  // the highest rate
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.play << " -> " << c.output);
        const auto bytes = LittleEndian(Tone(c.count, c.play, c.tone, c.above));
        Resampler resampler(bytes, c.play, c.output);
        EXPECT_FALSE(resampler.PassesThrough());
        const double seconds = static_cast<double>(c.count) / c.play;
        EXPECT_EQ(resampler.OutputLength(),
                  static_cast<std::uint64_t>(std::llround(seconds * c.output)));
        const auto heard = ReadAll(resampler, 882);
        EXPECT_NEAR(static_cast<double>(heard.size()), seconds * c.output, 2.0);
        EXPECT_GE(CorrelationWithTone(heard, c.output, c.tone), 0.999);
    }
}

TEST(Resampler, ThePiecesAskedForDoNotChangeTheSound) {
    const auto bytes = LittleEndian(Tone(20000, 22050, 1000, 9000));
    for (std::int32_t output : {8000, 48000}) {
        Resampler whole(bytes, 22050, output);
        const auto reference = ReadAll(whole, 1 << 20);
        for (std::size_t piece : {1u, 7u, 441u}) {
            Resampler pieces(bytes, 22050, output);
            EXPECT_EQ(ReadAll(pieces, piece), reference) << output << " Hz in pieces of " << piece;
        }
    }
}

TEST(Resampler, EmptyAndTinySoundsEndCleanly) {
    const std::vector<unsigned char> none;
    for (std::int32_t play : {1, 44100, 1073741823}) {
        Resampler resampler(none, play, 44100);
        EXPECT_EQ(resampler.OutputLength(), 0u);
        EXPECT_TRUE(ReadAll(resampler, 64).empty());
    }
    // One sample at the highest rate lasts under a nanosecond: nothing to hear.
    const auto one = LittleEndian({1000});
    Resampler fast(one, 1073741823, 8000);
    EXPECT_EQ(fast.OutputLength(), 0u);
    EXPECT_LE(ReadAll(fast, 64).size(), 1u);
    // One sample at 1 Hz lasts a second.
    Resampler slow(one, 1, 8000);
    EXPECT_NEAR(static_cast<double>(ReadAll(slow, 4096).size()), 8000.0, 2.0);
}

TEST(Resampler, RefusesRatesBelowOne) {
    const auto bytes = LittleEndian({1, 2, 3});
    EXPECT_THROW(Resampler(bytes, 0, 44100), UserError);
    EXPECT_THROW(Resampler(bytes, 44100, 0), UserError);
    EXPECT_THROW(Resampler(bytes, -8000, 44100), UserError);
}

TEST(SampleHeardAfter, CountsWholeSamplesAndStopsAtTheEnd) {
    const struct {
        std::int64_t microseconds;
        std::int32_t rate;
        std::size_t count;
        std::size_t heard;
    } cases[] = {
        {0, 44100, 1000000, 0},
        {-5, 44100, 1000000, 0},
        {1000000, 44100, 1000000, 44100},
        {999999, 1, 10, 0},
        {1000000, 1, 10, 1},
        {1500000, 3, 100, 4},
        {22, 44100, 1000000, 0},                          // 0.97 of a sample
        {23, 44100, 1000000, 1},                          // 1.01
        {2500000, 1073741823, 1073741823, 1073741823},    // past the end: the end
        {999999, 1073741823, 1073741823, 1073740749},     // exact near the top
        {std::int64_t{1} << 62, 1073741823, 1000, 1000},  // no overflow
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SampleHeardAfter(c.microseconds, c.rate, c.count), c.heard)
            << c.microseconds << " us at " << c.rate;
    }
}

}  // namespace
}  // namespace tremorline::sound
