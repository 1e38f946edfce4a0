// SPDX-License-Identifier: MIT
// tremorline-cli plot --spectrogram, run as a process on built traces.

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <cmath>
#include <filesystem>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include "plot/spectrogram_plot.h"
#include "support/run_cli.h"
#include "support/sac_builder.h"
#include "support/temp_dir.h"

namespace tremorline::cli {
namespace {

using testing::RunCli;
using testing::RunResult;
using testing::SacBuilder;
using testing::TempDir;

// `count` samples of a 10 Hz sine at 100 samples a second.
std::vector<float> Tone(std::size_t count) {
    std::vector<float> samples(count);
    for (std::size_t i = 0; i < count; ++i) {
        samples[i] = static_cast<float>(
            50 * std::sin(2 * std::numbers::pi * 10 * static_cast<double>(i) * 0.01));
    }
    return samples;
}

TEST(CliPlotSpectrogram, DrawsThePanelUnderTheWaveformInTheLowerHalf) {
    TempDir dir;
    SacBuilder().Samples(Tone(6000)).WriteTo(dir / "tone.sac");
    const RunResult run = RunCli({"plot", (dir / "tone.sac").string(), "--spectrogram", "--window",
                                  "2", "--overlap", "0.5", "--output-dir", dir.path().string()});
    ASSERT_EQ(run.status, 0) << run.err;
    QImage image;
    ASSERT_TRUE(image.load(QString::fromStdString((dir / "tone.png").string()), "PNG"));
    ASSERT_EQ(image.size(), QSize(1600, 800));  // taller by default, for both
    const QRect area = plot::SpectrogramArea(QSize(1600, 400)).translated(0, 400);
    // 10 Hz is a fifth of the way up from 0 Hz to the Nyquist frequency.
    const int band = area.top() + static_cast<int>(0.8 * area.height());
    const QColor yellow(image.pixel(area.center().x(), band));
    EXPECT_GT(yellow.green(), 180);
    EXPECT_LT(yellow.blue(), 120);
    const QColor dark(image.pixel(area.center().x(), area.top() + area.height() / 4));
    EXPECT_LT(qGray(dark.rgb()), 100);
}

// A trace that cannot have a spectrogram fails alone, with the reason and
// nothing written; the others of the run are drawn.
TEST(CliPlotSpectrogram, ATraceWithoutASpectrogramFailsAndNothingIsWrittenForIt) {
    TempDir dir;
    std::vector<float> with_nan = Tone(3000);
    with_nan[1234] = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        const char* name;
        SacBuilder trace;
        const char* says;
    };
    const Case cases[] = {
        {"short.sac", SacBuilder().Samples(Tone(200)),
         "No spectrogram: the trace has 200 samples, fewer than one window of 256 samples"},
        {"nodelta.sac", SacBuilder().Samples(Tone(3000)).Real(sac::real::DELTA, 0.0f),
         "No spectrogram: the sample interval DELTA is 0"},
        {"gap.sac", SacBuilder().Samples(with_nan),
         "No spectrogram: 1 sample is not a number (NaN or infinite)."},
    };
    SacBuilder().Samples(Tone(3000)).WriteTo(dir / "good.sac");
    for (const Case& c : cases) {
        SacBuilder(c.trace).WriteTo(dir / c.name);
        const RunResult run = RunCli({"plot", (dir / c.name).string(), (dir / "good.sac").string(),
                                      "--spectrogram", "--output-dir", dir.path().string()});
        EXPECT_EQ(run.status, 1) << c.name;
        EXPECT_NE(run.err.find((dir / c.name).string() + ": " + c.says), std::string::npos)
            << run.err;
        EXPECT_FALSE(
            std::filesystem::exists(dir / std::filesystem::path(c.name).replace_extension(".png")))
            << c.name;
        EXPECT_TRUE(std::filesystem::exists(dir / "good.png"));
        std::filesystem::remove(dir / "good.png");
    }
}

TEST(CliPlotSpectrogram, WindowAndOverlapOutOfRangeAreUsageErrors) {
    TempDir dir;
    SacBuilder().Samples(Tone(3000)).WriteTo(dir / "tone.sac");
    const std::vector<std::vector<std::string>> options = {
        {"--window", "0"},  {"--window", "-2.56"}, {"--window", "abc"},  {"--window", "inf"},
        {"--overlap", "1"}, {"--overlap", "-0.1"}, {"--overlap", "1.5"}, {"--overlap", "nan"},
    };
    for (const auto& option : options) {
        std::vector<std::string> arguments = {"plot", (dir / "tone.sac").string(), "--spectrogram",
                                              "--output-dir", dir.path().string()};
        arguments.insert(arguments.end(), option.begin(), option.end());
        const RunResult run = RunCli(arguments);
        EXPECT_EQ(run.status, 2) << option[0] << " " << option[1] << run.err;
        EXPECT_NE(run.err.find(option[0]), std::string::npos) << run.err;
        EXPECT_FALSE(std::filesystem::exists(dir / "tone.png")) << option[1];
    }
}

}  // namespace
}  // namespace tremorline::cli
