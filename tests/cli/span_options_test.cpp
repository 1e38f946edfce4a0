// SPDX-License-Identifier: MIT
// --start and --end on the batch tool, run as a process on built and real
// traces: wav and sac of a span against the samples the span holds.

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "common/byte_order.h"
#include "sac/sac_header.h"
#include "support/mseed_converter.h"
#include "support/real_files.h"
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
using Bytes = std::vector<unsigned char>;
namespace fs = std::filesystem;

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

// A SAC file's header and samples, read word by word in its byte order.
struct SacWords {
    Bytes bytes;
    bool big = false;

    std::uint32_t Word(std::size_t index) const {
        const std::uint32_t word = LoadLE32(bytes.data() + 4 * index);
        return big ? ByteSwap32(word) : word;
    }
    float Real(std::size_t index) const { return std::bit_cast<float>(Word(index)); }
    std::size_t Count() const { return bytes.size() / 4 - sac::kHeaderSize / 4; }
    float Sample(std::size_t i) const { return Real(sac::kHeaderSize / 4 + i); }
};

constexpr std::size_t kBWord = sac::real::B;
constexpr std::size_t kEWord = sac::real::E;
constexpr std::size_t kNptsWord = 70 + sac::integer::NPTS;
constexpr std::size_t kLevelWords[] = {sac::real::DEPMIN, sac::real::DEPMAX, sac::real::DEPMEN};

// Checks that `cut` holds exactly samples [first, last] of `whole`, with B,
// E and NPTS those of the span, the levels those of its samples and every
// other header word as in `whole`.
void ExpectSpanOf(const SacWords& whole, const SacWords& cut, std::size_t first, std::size_t last) {
    const std::size_t count = last - first + 1;
    ASSERT_EQ(cut.Count(), count);
    for (std::size_t i = 0; i < count; ++i) {
        ASSERT_EQ(cut.Word(sac::kHeaderSize / 4 + i), whole.Word(sac::kHeaderSize / 4 + first + i))
            << "sample " << i;
    }
    const double delta = whole.Real(sac::real::DELTA);
    const float begin = static_cast<float>(static_cast<double>(whole.Real(kBWord)) +
                                           static_cast<double>(first) * delta);
    EXPECT_EQ(cut.Real(kBWord), begin);
    EXPECT_EQ(cut.Real(kEWord), static_cast<float>(static_cast<double>(begin) +
                                                   static_cast<double>(count - 1) * delta));
    EXPECT_EQ(cut.Word(kNptsWord), count);
    float low = std::numeric_limits<float>::infinity();
    float high = -low;
    double sum = 0;
    for (std::size_t i = 0; i < count; ++i) {
        low = std::min(low, cut.Sample(i));
        high = std::max(high, cut.Sample(i));
        sum += cut.Sample(i);
    }
    EXPECT_EQ(cut.Real(sac::real::DEPMIN), low);
    EXPECT_EQ(cut.Real(sac::real::DEPMAX), high);
    EXPECT_EQ(cut.Real(sac::real::DEPMEN), static_cast<float>(sum / static_cast<double>(count)));
    for (std::size_t w = 0; w < sac::kHeaderSize / 4; ++w) {
        const bool set =
            w == kBWord || w == kEWord || w == kNptsWord ||
            std::find(std::begin(kLevelWords), std::end(kLevelWords), w) != std::end(kLevelWords);
        if (!set) {
            EXPECT_EQ(cut.Word(w), whole.Word(w)) << "header word " << w;
        }
    }
}

// sac of a span writes exactly the samples the span holds, in the file's
// byte order, with the span's B, E, NPTS and levels and the rest of the
// header kept; a miniSEED segment's cut is its converted file's cut.
TEST(CliSpan, SacOfASpanOfRealFilesHoldsExactlyItsSamples) {
    TREMORLINE_NEEDS_REAL_FILES();
    const fs::path crlz = testing::TestDataDir() / "CRLZ.HHZ.10.NZ.SAC";
    const fs::path swapped = testing::TestDataDir() / "test.sac.swap";
    struct Case {
        fs::path file;
        bool big;
        std::string start;  // empty: not given
        std::string end;
        std::size_t first;
        std::size_t last;
    };
    // CRLZ starts at 2009-09-04 15:06:40.007, 54400 s after its reference
    // time, a sample every 0.0099999998 s: sample 1000 stands just before
    // 54410 s, sample 2500 just before 54425 s. test.sac.swap is big-endian,
    // B 10 and DELTA 1.
    const Case cases[] = {
        {crlz, false, "54410", "54425", 1001, 2500},
        {crlz, false, "2009-09-04T15:06:50.007Z", "2009-09-04T15:07:05.007", 1001, 2500},
        {crlz, false, "-1e9", "2009-09-04T15:06:41", 0, 99},
        {crlz, false, "", "54400", 0, 0},
        {crlz, false, "54727.66", "", 32767, 32767},
        {swapped, true, "20.5", "30", 11, 20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.filename().string() + " " + c.start + " " + c.end);
        TempDir out;
        std::vector<std::string> arguments = {"sac", c.file.string(), "--output-dir",
                                              out.path().string()};
        if (!c.start.empty()) {
            arguments.insert(arguments.end(), {"--start", c.start});
        }
        if (!c.end.empty()) {
            arguments.insert(arguments.end(), {"--end", c.end});
        }
        const RunResult run = RunCli(arguments);
        ASSERT_EQ(run.status, 0) << run.err;
        ExpectSpanOf({ReadFileBytes(c.file), c.big},
                     {ReadFileBytes(out / c.file.filename()), c.big}, c.first, c.last);
    }

    // A span that holds no sample fails the trace and writes nothing.
    TempDir out;
    const RunResult run =
        RunCli({"sac", crlz.string(), "--start", "1e9", "--output-dir", out.path().string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("No sample falls at or later than 1000000000 s after the reference "
                           "time: the trace lies from 54400 to"),
              std::string::npos)
        << run.err;
    EXPECT_TRUE(fs::is_empty(out.path()));

    const std::optional<fs::path> example = testing::FindExampleRecord();
    if (!example) {
        GTEST_SKIP() << "libmseed's example record test.mseed is not installed";
    }
    // The segment starts at 06:50:00.069539, a sample a second: 06:55:00
    // falls between samples 299 and 300, 07:00:00 between 599 and 600.
    TempDir whole;
    TempDir cut;
    ASSERT_EQ(RunCli({"sac", example->string(), "--output-dir", whole.path().string()}).status, 0);
    const RunResult cut_run =
        RunCli({"sac", example->string(), "--start", "2010-02-27T06:55:00Z", "--end",
                "2010-02-27T07:00:00", "--output-dir", cut.path().string()});
    ASSERT_EQ(cut_run.status, 0) << cut_run.err;
    const fs::path name = fs::directory_iterator(whole.path())->path().filename();
    ExpectSpanOf({ReadFileBytes(whole / name), false}, {ReadFileBytes(cut / name), false}, 300,
                 599);
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
