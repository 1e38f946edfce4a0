// SPDX-License-Identifier: MIT
#include "dsp/spectrogram.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <numbers>
#include <optional>
#include <random>
#include <stop_token>
#include <string>
#include <vector>

#include "common/user_error.h"

namespace tremorline::dsp {
namespace {

constexpr double kDelta = 0.01;  // 100 samples a second

std::vector<float> Sine(std::size_t count, double hz, double amplitude, double offset = 0) {
    std::vector<float> samples(count);
    for (std::size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) * kDelta;
        samples[i] =
            static_cast<float>(offset + amplitude * std::sin(2 * std::numbers::pi * hz * t));
    }
    return samples;
}

std::string MessageOf(const SpectrogramSettings& settings, double delta, std::size_t count) {
    try {
        ChooseSpectrogramLayout(settings, delta, count);
    } catch (const UserError& error) {
        return error.what();
    }
    return "";
}

TEST(SpectrogramLayout, WindowFollowsTheSamplingWithinItsLimitsAndOverlapSetsTheHop) {
    struct Case {
        std::optional<double> seconds;
        double overlap;
        double delta;
        std::size_t window;
        std::size_t hop;
    };
    const Case cases[] = {
        {std::nullopt, 0.75, 0.01, 256, 64},          // 2.56 s at 100 samples a second
        {std::nullopt, 0.5, 0.025, 102, 51},          // 40 samples a second: 102.4, made even
        {std::nullopt, 0.5, 1.0, 64, 32},             // 1 sample a second: never fewer than 64
        {std::nullopt, 0.5, 1.0 / 4000, 4096, 2048},  // never more than 4096
        {2.0, 0.0, 0.01, 200, 200},                   // chosen: no overlap
        {2.0, 0.9, 0.01, 200, 20},
        {0.64, 0.999, 0.01, 64, 1},  // never less than one sample apart
    };
    for (const Case& c : cases) {
        const SpectrogramLayout layout =
            ChooseSpectrogramLayout({c.seconds, c.overlap}, c.delta, 100000);
        EXPECT_EQ(layout.window, c.window) << c.delta;
        EXPECT_EQ(layout.hop, c.hop) << c.delta;
        EXPECT_GE(layout.fft_size, layout.window);
        EXPECT_EQ(layout.fft_size % 2, 0u);
        EXPECT_EQ(layout.frames, (100000 - layout.window) / layout.hop + 1);
        EXPECT_DOUBLE_EQ(layout.BinFrequency(layout.Bins() - 1), layout.Nyquist());
    }
}

TEST(SpectrogramLayout, ATraceWithoutASpectrogramSaysWhy) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        SpectrogramSettings settings;
        double delta;
        std::size_t count;
        std::string says;
    };
    const Case cases[] = {
        {{}, 0, 1000, "DELTA is 0, not a number of seconds above 0"},
        {{}, -0.01, 1000, "DELTA is -0.01"},
        {{}, nan, 1000, "DELTA is nan"},
        {{}, inf, 1000, "DELTA is inf"},
        {{}, 0.01, 255, "the trace has 255 samples, fewer than one window of 256 samples (2.56 s)"},
        {{}, 0.01, 0, "the trace has 0 samples"},
        {{0.5, 0.5},
         0.01,
         1000,
         "a window of 0.5 s is 50 samples at DELTA 0.01 s; a window must "
         "be 64 to 4096 samples"},
        {{50.0, 0.5}, 0.01, 100000, "a window of 50 s is 5000 samples"},
    };
    for (const Case& c : cases) {
        const std::string message = MessageOf(c.settings, c.delta, c.count);
        EXPECT_NE(message.find("No spectrogram: "), std::string::npos) << message;
        EXPECT_NE(message.find(c.says), std::string::npos) << message;
    }
    EXPECT_EQ(MessageOf({}, 0.01, 256), "");

    EXPECT_FALSE(WindowSecondsProblem(2.56));
    EXPECT_FALSE(OverlapProblem(0));
    EXPECT_FALSE(OverlapProblem(0.99));
    for (const double bad : {0.0, -1.0, nan, inf}) {
        EXPECT_TRUE(WindowSecondsProblem(bad)) << bad;
    }
    for (const double bad : {1.0, -0.1, 1.5, nan}) {
        EXPECT_TRUE(OverlapProblem(bad)) << bad;
    }
}

SpectrogramBuildOptions OnThreads(unsigned threads, std::size_t max_stored_values = 1u << 24) {
    SpectrogramBuildOptions options;
    options.threads = threads;
    options.max_stored_values = max_stored_values;
    return options;
}

Spectrogram Build(const std::vector<float>& samples, const SpectrogramSettings& settings = {},
                  const SpectrogramBuildOptions& options = {}) {
    const MemorySampleSource source(samples);
    return BuildSpectrogram(source, ChooseSpectrogramLayout(settings, kDelta, samples.size()),
                            Progress(), options);
}

// The mean over the finest level's entries of bin `bin`, in dB.
double MeanDbOfBin(const Spectrogram& spectrogram, std::size_t bin) {
    const Spectrogram::Level& finest = spectrogram.Levels().front();
    double sum = 0;
    for (std::size_t e = 0; e < finest.entries; ++e) {
        sum += finest.power[e * spectrogram.Layout().Bins() + bin];
    }
    return PowerToDb(sum / static_cast<double>(finest.entries));
}

TEST(Spectrogram, ASineReadsItsMeanSquareInDbWhateverItsOffset) {
    // 256-sample windows: bins 100/256 Hz apart. 3.90625 Hz is bin 10.
    const double bin_hz = 100.0 / 256;
    const double amplitude = 1000;
    const double mean_square_db = 20 * std::log10(amplitude / std::sqrt(2.0));  // 56.99 dB
    for (const double offset : {0.0, 50000.0}) {
        const Spectrogram spectrogram = Build(Sine(20000, 10 * bin_hz, amplitude, offset));
        EXPECT_NEAR(MeanDbOfBin(spectrogram, 10), mean_square_db, 0.05) << offset;
        // The Hann window spreads a quarter of the power to each neighbour.
        EXPECT_NEAR(MeanDbOfBin(spectrogram, 9), mean_square_db - 6.02, 0.1) << offset;
        EXPECT_NEAR(MeanDbOfBin(spectrogram, 11), mean_square_db - 6.02, 0.1) << offset;
        EXPECT_LT(MeanDbOfBin(spectrogram, 30), mean_square_db - 60) << offset;
        EXPECT_LT(MeanDbOfBin(spectrogram, 0), mean_square_db - 40) << offset;  // the mean is gone
        EXPECT_NEAR(spectrogram.DataLimits().high, mean_square_db, 0.05) << offset;
    }
    // Between two bins the peak reads low by at most the Hann window's 1.42 dB.
    const Spectrogram between = Build(Sine(20000, 10.5 * bin_hz, amplitude));
    const double peak = std::max(MeanDbOfBin(between, 10), MeanDbOfBin(between, 11));
    EXPECT_NEAR(peak, mean_square_db - 1.42, 0.05);
}

TEST(Spectrogram, ColourLimitsFollowTheDataAndIgnoreSilence) {
    std::mt19937 random(7);
    std::normal_distribution<float> noise(0, 1);
    std::vector<float> quiet = Sine(30000, 5, 10);
    for (float& value : quiet) {
        value += noise(random);
    }
    std::vector<float> loud = quiet;
    for (float& value : loud) {
        value *= 100;
    }
    const DbLimits quiet_limits = Build(quiet).DataLimits();
    const DbLimits loud_limits = Build(loud).DataLimits();
    EXPECT_NEAR(loud_limits.low - quiet_limits.low, 40, 0.1);
    EXPECT_NEAR(loud_limits.high - quiet_limits.high, 40, 0.1);
    EXPECT_GT(quiet_limits.high - quiet_limits.low, 20);

    // A third of the trace zeros (a gap filled in by the recorder) leaves
    // the low limit where the signal puts it.
    std::vector<float> filled = quiet;
    std::fill(filled.begin(), filled.begin() + 10000, 0.0f);
    EXPECT_NEAR(Build(filled).DataLimits().low, quiet_limits.low, 3);

    const DbLimits silent = Build(std::vector<float>(1000, 3.0f)).DataLimits();
    EXPECT_EQ(silent.high, PowerToDb(0));
    EXPECT_EQ(silent.high - silent.low, 1);
}

// Three tones in turn, each a third of the trace: 5, 10 and 20 Hz.
std::vector<float> ThreeTones(std::size_t third) {
    std::vector<float> samples;
    for (const double hz : {5.0, 10.0, 20.0}) {
        const std::vector<float> tone = Sine(third, hz, 100);
        samples.insert(samples.end(), tone.begin(), tone.end());
    }
    return samples;
}

// The row of the strongest dB in column `column`.
std::size_t BrightestRow(const SpectrogramPicture& picture, std::size_t column) {
    std::size_t best = 0;
    for (std::size_t row = 1; row < picture.rows; ++row) {
        if (picture.At(column, row) > picture.At(column, best)) {
            best = row;
        }
    }
    return best;
}

TEST(Spectrogram, ThreeTonesInTurnShowAsBandsAtTheirHeightsAndTimes) {
    constexpr std::size_t kThird = 6000;  // a minute each
    const std::vector<float> samples = ThreeTones(kThird);
    const MemorySampleSource source(samples);
    const Spectrogram spectrogram = Build(samples);
    constexpr std::size_t kWidth = 300;
    constexpr std::size_t kRows = 101;  // row 0 is 50 Hz, row 100 is 0 Hz: half a hertz a row
    const SpectrogramPicture picture = ComputeSpectrogramPicture(
        spectrogram, source, trace::WholeTraceView(samples.size()), kWidth, kRows);
    for (std::size_t column = 0; column < kWidth; ++column) {
        const std::size_t third = column * 3 / kWidth;
        // Columns within a window's half-length of a change see both tones.
        const double position = (static_cast<double>(column) + 0.5) * 3 * kThird / kWidth;
        const double to_change =
            std::min(std::abs(position - kThird), std::abs(position - 2 * kThird));
        if (to_change < 200) {
            continue;
        }
        const double hz = third == 0 ? 5 : third == 1 ? 10 : 20;
        const auto expected_row = static_cast<std::size_t>(100 - hz * 2);
        EXPECT_EQ(BrightestRow(picture, column), expected_row) << "column " << column;
    }
}

TEST(Spectrogram, EveryViewAgreesWithTheWindowsItShowsHoweverTheLevelsAreKept) {
    const std::vector<float> samples = ThreeTones(20000);
    const MemorySampleSource source(samples);
    const SpectrogramLayout layout = ChooseSpectrogramLayout({}, kDelta, samples.size());
    const Spectrogram full = BuildSpectrogram(source, layout, Progress(), OnThreads(1));
    // The finest level holds every window, and threads share the work
    // without changing a bit of it.
    ASSERT_EQ(full.Levels().front().frames_per_entry, 1u);
    EXPECT_EQ(BuildSpectrogram(source, layout, Progress(), OnThreads(4)).Levels().front().power,
              full.Levels().front().power);
    // A small budget: windows kept eight or more to an entry.
    const Spectrogram small = BuildSpectrogram(source, layout, Progress(), OnThreads(3, 120 * 129));
    EXPECT_GE(small.Levels().front().frames_per_entry, 8u);
    EXPECT_LT(small.MemoryBytes(), full.MemoryBytes() / 6);
    EXPECT_NEAR(small.DataLimits().high, full.DataLimits().high, 0.5);

    const trace::TraceView views[] = {
        trace::WholeTraceView(samples.size()),  // many windows a column: coarse levels
        {19000, 2000},                          // a few windows a column, across a change
        {39990, 100},                           // many columns a window
        {0, 300},                               // the trace's first samples
        {static_cast<double>(samples.size()) - 300, 300},  // its last
    };
    for (const trace::TraceView& view : views) {
        const SpectrogramPicture a = ComputeSpectrogramPicture(full, source, view, 200, 60);
        const SpectrogramPicture b = ComputeSpectrogramPicture(small, source, view, 200, 60);
        std::size_t same = 0;
        for (std::size_t column = 0; column < a.width; ++column) {
            ASSERT_FALSE(std::isnan(a.At(column, 0))) << view.first;
            const std::size_t row_a = BrightestRow(a, column);
            const std::size_t row_b = BrightestRow(b, column);
            const bool band_matches = row_a == row_b || row_a == row_b + 1 || row_b == row_a + 1;
            if (band_matches && std::abs(a.At(column, row_a) - b.At(column, row_b)) < 1) {
                ++same;
            }
        }
        // On demand, a few windows stand for a column's many: only columns
        // across a change of tone may differ.
        EXPECT_GE(same, a.width * 9 / 10) << view.first;
    }
    // Beyond the trace there is nothing to show.
    const SpectrogramPicture beyond = ComputeSpectrogramPicture(
        full, source, {static_cast<double>(samples.size()) - 100, 200}, 100, 10);
    EXPECT_FALSE(std::isnan(beyond.At(10, 5)));
    EXPECT_TRUE(std::isnan(beyond.At(90, 5)));
}

TEST(Spectrogram, SamplesThatAreNotNumbersOrAStopEndTheBuild) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        std::vector<std::size_t> at;
        float value;
        std::string says;
    };
    // 1000 samples: windows of 256 every 64 cover the first 960.
    const Case cases[] = {
        {{3}, nan, "No spectrogram: 1 sample is not a number (NaN or infinite)."},
        {{500, 501, 502}, inf, "No spectrogram: 3 samples are not a number"},
        {{990}, -inf, "1 sample is not a number"},  // after the last window
    };
    for (const Case& c : cases) {
        std::vector<float> samples = Sine(1000, 5, 1);
        for (const std::size_t i : c.at) {
            samples[i] = c.value;
        }
        try {
            Build(samples);
            ADD_FAILURE() << c.says;
        } catch (const UserError& error) {
            EXPECT_NE(std::string(error.what()).find(c.says), std::string::npos) << error.what();
        }
    }

    const std::vector<float> samples = Sine(100000, 5, 1);
    const MemorySampleSource source(samples);
    std::stop_source stop;
    stop.request_stop();
    const Progress stopped(stop.get_token());
    EXPECT_THROW(BuildSpectrogram(source, ChooseSpectrogramLayout({}, kDelta, samples.size()),
                                  stopped, OnThreads(2)),
                 Cancelled);
}

}  // namespace
}  // namespace tremorline::dsp
