// SPDX-License-Identifier: MIT
// tremorline-cli plot, run as a process on built traces.

#include <gtest/gtest.h>

#include <QColor>
#include <QFile>
#include <QImage>
#include <QXmlStreamReader>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/plot_command.h"
#include "plot/trace_plot.h"
#include "support/run_cli.h"
#include "support/sac_builder.h"
#include "support/temp_dir.h"

namespace tremorline::cli {
namespace {

using testing::RunCli;
using testing::RunResult;
using testing::SacBuilder;
using testing::TempDir;

constexpr std::size_t kLength = 8000;
constexpr std::size_t kSpikeAt = 6000;

// A flat trace with one spike, written to `path`.
void WriteSpikeTrace(const std::filesystem::path& path) {
    std::vector<float> samples(kLength, 0.0f);
    samples[kSpikeAt] = 500.0f;
    SacBuilder().Samples(samples).Real(sac::real::E, 79.99f).WriteTo(path);
}

int DarkInColumn(const QImage& image, const QRect& area, int x) {
    int dark = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        dark += QColor(image.pixel(x, y)).lightness() < 100 ? 1 : 0;
    }
    return dark;
}

TEST(CliPlot, WritesAPngOfTheAskedSizeWithTheSpikeWhereItsTimeMaps) {
    TempDir dir;
    WriteSpikeTrace(dir / "event.SAC");
    const RunResult run = RunCli({"plot", (dir / "event.SAC").string(), "--output-dir",
                                  dir.path().string(), "--size", "900x300"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              (dir / "event.SAC").string() + ": wrote " + (dir / "event.png").string() + "\n");
    QImage image;
    ASSERT_TRUE(image.load(QString::fromStdString((dir / "event.png").string()), "PNG"));
    ASSERT_EQ(image.size(), QSize(900, 300));
    const QRect area = plot::PlotArea(image.size());
    int darkest = area.left();
    for (int x = area.left(); x <= area.right(); ++x) {
        if (DarkInColumn(image, area, x) > DarkInColumn(image, area, darkest)) {
            darkest = x;
        }
    }
    const double expected =
        plot::XAtSamplePosition(image.size(), trace::WholeTraceView(kLength), kSpikeAt);
    EXPECT_NEAR(darkest, expected, 1.0);
}

// The spike stands 59.99999866 s after the reference time; of a span from
// 50 to 70 s the plot shows samples 5001 to 7000, the spike halfway along.
TEST(CliPlot, APlottedSpanPutsTheSpikeAtItsPlaceWithinTheSpan) {
    TempDir dir;
    WriteSpikeTrace(dir / "event.SAC");
    const RunResult run =
        RunCli({"plot", (dir / "event.SAC").string(), "--output-dir", dir.path().string(), "--size",
                "900x300", "--start", "50", "--end", "2005-02-01T03:05:15.250"});
    ASSERT_EQ(run.status, 0) << run.err;
    QImage image;
    ASSERT_TRUE(image.load(QString::fromStdString((dir / "event.png").string()), "PNG"));
    const QRect area = plot::PlotArea(image.size());
    int darkest = area.left();
    for (int x = area.left(); x <= area.right(); ++x) {
        if (DarkInColumn(image, area, x) > DarkInColumn(image, area, darkest)) {
            darkest = x;
        }
    }
    EXPECT_NEAR(darkest, area.left() + area.width() * (60.0 - 50.0) / (70.0 - 50.0), 2.0);
}

TEST(CliPlot, WritesAnSvgThatParsesAndHoldsTheMarkers) {
    TempDir dir;
    std::vector<float> samples(kLength, 0.0f);
    samples[100] = 1.0f;
    SacBuilder()
        .Samples(samples)
        .Real(sac::real::E, 79.99f)
        .Real(sac::real::O, 12.0f)
        .Text(4, "quake")  // KO
        .WriteTo(dir / "picked.sac");
    const RunResult run = RunCli({"plot", (dir / "picked.sac").string(), "--format", "svg",
                                  "--output-dir", dir.path().string()});
    ASSERT_EQ(run.status, 0) << run.err;
    QFile file(QString::fromStdString((dir / "picked.svg").string()));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    QString text;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isCharacters()) {
            text += xml.text();
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_TRUE(text.contains("quake"));
}

// Two traces named alike in one run: the first is written, the second is not
// and says why; the run fails, and a later file is still done.
TEST(CliPlot, ANameWrittenEarlierInTheRunIsNotWrittenAgain) {
    TempDir dir;
    std::filesystem::create_directory(dir / "a");
    std::filesystem::create_directory(dir / "b");
    WriteSpikeTrace(dir / "a" / "ANMO.BHZ");
    WriteSpikeTrace(dir / "b" / "ANMO.BHN");
    WriteSpikeTrace(dir / "b" / "other.sac");
    const std::string out = (dir / "out").string();
    std::filesystem::create_directory(out);
    const RunResult run =
        RunCli({"plot", (dir / "a" / "ANMO.BHZ").string(), (dir / "b" / "ANMO.BHN").string(),
                (dir / "b" / "other.sac").string(), "--output-dir", out});
    EXPECT_EQ(run.status, 1);
    const std::string written = (dir / "out" / "ANMO.png").string();
    EXPECT_NE(run.err.find((dir / "b" / "ANMO.BHN").string() + ": not written: " + written +
                           " was already written from " + (dir / "a" / "ANMO.BHZ").string() +
                           " in this run"),
              std::string::npos)
        << run.err;
    EXPECT_TRUE(std::filesystem::exists(dir / "out" / "other.png"));
}

TEST(CliPlot, BadSizesAreUsageErrorsBeforeAnyFileIsRead) {
    TempDir dir;
    WriteSpikeTrace(dir / "event.SAC");
    for (const char* size : {"0x500", "1600", "1600x", "x500", "-5x5", "16001x10", "10000x10000",
                             "1600x500x2", " 16x16", "abcxdef"}) {
        const RunResult run = RunCli({"plot", (dir / "event.SAC").string(), "--output-dir",
                                      dir.path().string(), "--size", size});
        EXPECT_NE(run.status, 0) << size;
        EXPECT_NE(run.err.find("is no plot size"), std::string::npos) << size << run.err;
        EXPECT_FALSE(std::filesystem::exists(dir / "event.png")) << size;
    }
}

TEST(CliPlot, NamesFollowTheTraceFileLessItsLastFourCharacters) {
    EXPECT_EQ(PlotFileName("event.SAC", plot::PlotFormat::Png), "event.png");
    EXPECT_EQ(PlotFileName("ANMO.BHZ", plot::PlotFormat::Svg), "ANMO.svg");
    EXPECT_EQ(PlotFileName("séïsm", plot::PlotFormat::Png), "s.png");  // whole characters
    EXPECT_EQ(PlotFileName("abcd", plot::PlotFormat::Png), "abcd.png");
    EXPECT_EQ(PlotFileName("ab", plot::PlotFormat::Png), "ab.png");
}

}  // namespace
}  // namespace tremorline::cli
