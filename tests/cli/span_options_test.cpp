// SPDX-License-Identifier: MIT
// --start and --end on the batch tool, run as a process on built traces.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "support/run_cli.h"
#include "support/sac_builder.h"
#include "support/temp_dir.h"

namespace tremorline::cli {
namespace {

using testing::ReadFileBytes;
using testing::RunCli;
using testing::RunResult;
using testing::SacBuilder;
using testing::TempDir;

// The default test header's reference time is 2005-02-01 03:04:05.250; the
// trace starts 1.5 s later, at 03:04:06.750, a sample every 0.01 s (in single
// precision 0.0099999998, so no sample falls on a round decimal).
constexpr float kBegin = 1.5f;
constexpr float kDelta = 0.01f;

std::vector<float> Wobble(std::size_t count) {
    std::vector<float> samples(count);
    for (std::size_t i = 0; i < count; ++i) {
        const double x = static_cast<double>(i);
        samples[i] = static_cast<float>(100 * std::sin(x * 0.37) + 0.5 * x + (i % 7 == 0 ? 40 : 0));
    }
    return samples;
}

void WriteTrace(const std::filesystem::path& path, const std::vector<float>& samples, float begin) {
    SacBuilder()
        .Samples(samples)
        .Real(sac::real::B, begin)
        .Real(sac::real::DELTA, kDelta)
        .Real(sac::real::E, begin + kDelta * static_cast<float>(samples.size() - 1))
        .WriteTo(path);
}

// The exact sample time, as text that reads back as the same double.
std::string SampleTimeText(std::size_t i) {
    char text[40];
    std::snprintf(
        text, sizeof text, "%.17g",
        static_cast<double>(kBegin) + static_cast<double>(i) * static_cast<double>(kDelta));
    return text;
}

// The WAVE file of a span is, byte for byte, that of a trace holding just the
// span's samples, whichever form its times are written in.
TEST(CliSpan, WavOfASpanIsTheSoundOfExactlyItsSamples) {
    const std::vector<float> samples = Wobble(300);
    TempDir whole_dir;
    WriteTrace(whole_dir / "event.sac", samples, kBegin);
    struct Case {
        std::string start;
        std::string end;
        std::size_t first;  // the samples the span holds
        std::size_t last;
    };
    const Case cases[] = {
        // Sample 25 stands at 1.7499999944 s and sample 100 at 2.4999999776 s.
        {"1.75", "2.5", 26, 100},
        {"2005-02-01T03:04:07Z", "2005-02-01T03:04:07.750", 26, 100},
        {"2005-02-01T03:04:07.000", "2.5", 26, 100},
        // Edges on sample times take those samples.
        {SampleTimeText(30), SampleTimeText(60), 30, 60},
        // Beyond the trace's ends: sample 120 stands at 2.69999997 s, so from 121 on.
        {"2.7", "1e6", 121, 299},
        {"-100", "2005-02-01T03:04:06.760", 0, 1},
    };
    for (const Case& c : cases) {
        const std::string shown = c.start + " " + c.end;
        TempDir out;
        const RunResult run =
            RunCli({"wav", (whole_dir / "event.sac").string(), "--rate", "8000", "--start", c.start,
                    "--end", c.end, "--output-dir", out.path().string()});
        ASSERT_EQ(run.status, 0) << shown << run.err;

        TempDir part_dir;
        const std::vector<float> part(samples.begin() + static_cast<std::ptrdiff_t>(c.first),
                                      samples.begin() + static_cast<std::ptrdiff_t>(c.last + 1));
        WriteTrace(part_dir / "event.sac", part, 0.0f);
        TempDir part_out;
        ASSERT_EQ(RunCli({"wav", (part_dir / "event.sac").string(), "--rate", "8000",
                          "--output-dir", part_out.path().string()})
                      .status,
                  0);
        EXPECT_EQ(ReadFileBytes(out / "event.wav"), ReadFileBytes(part_out / "event.wav")) << shown;
    }
}

TEST(CliSpan, AnEmptySpanFailsItsTraceAndBadTimesAreUsageErrors) {
    TempDir dir;
    WriteTrace(dir / "a.sac", Wobble(300), kBegin);
    WriteTrace(dir / "late.sac", Wobble(300), 100.0f);
    const std::string a = (dir / "a.sac").string();
    const std::string late = (dir / "late.sac").string();

    RunResult run = RunCli({"wav", late, a, "--rate", "8000", "--start", "2", "--end", "3",
                            "--output-dir", dir.path().string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, a + ": wrote " + (dir / "a.wav").string() + "\n");
    EXPECT_EQ(run.err, late +
                           ": No sample falls between 2 and 3 s after the reference time: the "
                           "trace lies from 100 to 102.99 s after the reference time "
                           "(2005-02-01 03:05:45.250 to 2005-02-01 03:05:48.240 UTC).\n");

    struct Case {
        std::vector<std::string> options;
        std::string says;
    };
    const Case cases[] = {
        {{"--start", "soon"}, "--start \"soon\" is no time"},
        {{"--end", "2005-02-30T00:00:00"}, "--end \"2005-02-30T00:00:00\" is no time"},
        {{"--start", "3", "--end", "3"}, "--start 3 is not before --end 3"},
        {{"--start", "2005-02-01T03:04:09", "--end", "2005-02-01T03:04:08.5Z"}, "is not before"},
    };
    for (const Case& c : cases) {
        for (std::vector<std::string> arguments :
             {std::vector<std::string>{"wav", a, "--rate", "8000"},
              std::vector<std::string>{"plot", a}}) {
            arguments.insert(arguments.end(), c.options.begin(), c.options.end());
            run = RunCli(arguments);
            EXPECT_EQ(run.status, 2) << c.says << run.err;
            EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
        }
    }
}

}  // namespace
}  // namespace tremorline::cli
