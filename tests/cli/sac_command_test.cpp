// SPDX-License-Identifier: MIT
// The batch tool's sac command and the filter options, run as a process: the
// filtered samples it writes against SciPy's, in both byte orders, with the
// header kept; the converted miniSEED files against mseed2sac's; every
// refusal; kept, forced and same-name outputs; and wav --filter giving the
// sound of the filtered samples.

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <random>
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

namespace fs = std::filesystem;
using testing::ReadFileBytes;
using testing::RunCli;
using testing::RunResult;
using testing::SacBuilder;
using testing::TempDir;
using Bytes = std::vector<unsigned char>;

constexpr std::size_t kDepWords[] = {1, 2, 56};  // DEPMIN, DEPMAX, DEPMEN

std::uint32_t Word(const Bytes& bytes, std::size_t index, bool big) {
    const std::uint32_t word = LoadLE32(bytes.data() + 4 * index);
    return big ? ByteSwap32(word) : word;
}

std::vector<double> SamplesOf(const Bytes& file, bool big) {
    std::vector<double> out;
    for (std::size_t i = sac::kHeaderSize / 4; i < file.size() / 4; ++i) {
        out.push_back(std::bit_cast<float>(Word(file, i, big)));
    }
    return out;
}

// Noise on an offset, with a step: something of every band.
std::vector<float> TestSamples(std::size_t count) {
    std::mt19937 gen(11);
    std::normal_distribution<float> normal(0.0f, 100.0f);
    std::vector<float> out(count);
    for (std::size_t n = 0; n < count; ++n) {
        out[n] = 5000.0f + normal(gen) + (n > count / 2 ? 300.0f : 0.0f);
    }
    return out;
}

bool HasScipy() {
    return std::system(
               (std::string(TREMORLINE_SCIPY_PYTHON) + " -c 'import scipy' 2>/dev/null").c_str()) ==
           0;
}

// SciPy's result for each case on `samples`: the twice-filtered samples
// when `zero_phase`, else the once-filtered ones.
std::vector<std::vector<double>> ScipyFiltered(const fs::path& folder,
                                               const std::vector<float>& samples,
                                               const std::vector<std::string>& cases,
                                               const std::vector<bool>& zero_phase) {
    const std::vector<double> wide(samples.begin(), samples.end());
    {
        std::ofstream out(folder / "input", std::ios::binary);
        out.write(reinterpret_cast<const char*>(wide.data()),
                  static_cast<std::streamsize>(wide.size() * sizeof(double)));
    }
    std::string command = std::string(TREMORLINE_SCIPY_PYTHON) + " " + TREMORLINE_SCIPY_REFERENCE +
                          " '" + (folder / "input").string() + "' '" + (folder / "ref").string() +
                          "'";
    for (const std::string& c : cases)
        command += " " + c;
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    std::vector<std::vector<double>> results;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Bytes bytes = ReadFileBytes(folder / ("ref." + std::to_string(i)));
        std::vector<double> values(bytes.size() / 8);
        std::memcpy(values.data(), bytes.data(), values.size() * 8);
        const auto sections = static_cast<std::size_t>(values.at(0));
        const auto first =
            static_cast<std::ptrdiff_t>(1 + 6 * sections + (zero_phase[i] ? samples.size() : 0));
        results.emplace_back(values.begin() + first,
                             values.begin() + first + static_cast<std::ptrdiff_t>(samples.size()));
    }
    return results;
}

TEST(CliSac, FilteredSamplesMatchScipyAndTheHeaderIsKept) {
    if (!HasScipy()) {
        GTEST_SKIP() << TREMORLINE_SCIPY_PYTHON << " has no SciPy to compare with";
    }
    struct Row {
        bool big;  // a big-endian file at 20 samples a second, else little-endian at 100
        const char* filter;
        const char* corners;
        bool causal;
        const char* scipy;  // what SciPy is asked: KIND:CORNERS:LOW:HIGH:RATE
        bool note;          // the band became a high-pass, and says so
    };
    const Row rows[] = {
        {false, "bandpass:1:8", "2", false, "bandpass:2:1:8:100", false},
        {false, "bandpass:0.01:0.1", "8", true, "bandpass:8:0.01:0.1:100", false},
        {false, "highpass:0.5", "3", false, "highpass:3:0.5:0:100", false},
        {false, "lowpass:5", "5", true, "lowpass:5:0:5:100", false},
        {false, "local", "4", false, "bandpass:4:1:10:100", false},
        {false, "surface-waves", "6", false, "bandpass:6:0.01:0.1:100", false},
        {true, "teleseismic-p", "4", true, "bandpass:4:0.7:2:20", false},
        {true, "microseism-cut", "7", false, "highpass:7:1:0:20", false},
        {true, "local", "4", false, "highpass:4:1:0:20", true},
        {true, "bandpass:0.2:30", "2", true, "highpass:2:0.2:0:20", true},
    };
    TempDir dir;
    const std::vector<float> samples = TestSamples(30000);
    const fs::path little = dir / "little.sac";
    const fs::path big = dir / "big.sac";
    SacBuilder().Samples(samples).Real(sac::real::DELTA, 0.01f).WriteTo(little);
    SacBuilder().Samples(samples).Real(sac::real::DELTA, 0.05f).BigEndian().WriteTo(big);

    std::vector<std::string> cases;
    std::vector<bool> zero_phase;
    for (const Row& row : rows) {
        cases.emplace_back(row.scipy);
        zero_phase.push_back(!row.causal);
    }
    const auto expected = ScipyFiltered(dir.path(), samples, cases, zero_phase);
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const Row& row = rows[i];
        SCOPED_TRACE(std::string(row.big ? "big-endian " : "little-endian ") + row.filter + " " +
                     row.corners + (row.causal ? " causal" : ""));
        const fs::path input = row.big ? big : little;
        const fs::path out = dir / ("out" + std::to_string(i));
        fs::create_directory(out);
        std::vector<std::string> args = {"sac",       input.string(), "--filter",     row.filter,
                                         "--corners", row.corners,    "--output-dir", out.string()};
        if (row.causal)
            args.push_back("--causal");
        const RunResult run = RunCli(args);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err.find("high-pass at") != std::string::npos, row.note) << run.err;

        const Bytes original = ReadFileBytes(input);
        const Bytes written = ReadFileBytes(out / input.filename());
        ASSERT_EQ(written.size(), original.size());
        const std::vector<double> ours = SamplesOf(written, row.big);
        double peak = 0.0;
        double worst = 0.0;
        for (std::size_t n = 0; n < ours.size(); ++n) {
            peak = std::max(peak, std::abs(expected[i][n]));
            worst = std::max(worst, std::abs(ours[n] - expected[i][n]));
        }
        EXPECT_LE(worst, 1e-6 * peak);

        // The header is the input's, but for the range of the samples written.
        for (std::size_t w = 0; w < sac::kHeaderSize / 4; ++w) {
            if (std::find(std::begin(kDepWords), std::end(kDepWords), w) == std::end(kDepWords)) {
                ASSERT_EQ(Word(written, w, row.big), Word(original, w, row.big)) << "word " << w;
            }
        }
        const auto [min, max] = std::minmax_element(ours.begin(), ours.end());
        double sum = 0.0;
        for (const double v : ours)
            sum += v;
        EXPECT_EQ(std::bit_cast<float>(Word(written, 1, row.big)), static_cast<float>(*min));
        EXPECT_EQ(std::bit_cast<float>(Word(written, 2, row.big)), static_cast<float>(*max));
        EXPECT_EQ(std::bit_cast<float>(Word(written, 56, row.big)),
                  static_cast<float>(sum / static_cast<double>(ours.size())));
    }
}

TEST(CliSac, UnfilteredMiniSeedIsWhatTheConverterWrites) {
    const std::optional<fs::path> converter = testing::FindConverter();
    const std::optional<fs::path> example = testing::FindExampleRecord();
    if (!converter || !example) {
        GTEST_SKIP() << "mseed2sac or libmseed's example record test.mseed is not installed";
    }
    TempDir dir;
    const testing::ExampleVariants variants = testing::MakeExampleVariants(ReadFileBytes(*example));
    testing::WriteBytes(dir / "gap.mseed", variants.gap);
    for (const fs::path& input : {*example, dir / "gap.mseed"}) {
        SCOPED_TRACE(input.filename().string());
        const fs::path ours = dir / ("ours-" + input.stem().string());
        const fs::path theirs = dir / ("theirs-" + input.stem().string());
        fs::create_directory(ours);
        ASSERT_TRUE(testing::RunConverter(*converter, input, theirs));
        const RunResult run = RunCli({"sac", input.string(), "--output-dir", ours.string()});
        ASSERT_EQ(run.status, 0) << run.err;
        std::size_t count = 0;
        for (const fs::directory_entry& entry : fs::directory_iterator(theirs)) {
            ++count;
            EXPECT_EQ(ReadFileBytes(ours / entry.path().filename()), ReadFileBytes(entry.path()))
                << entry.path().filename();
        }
        EXPECT_EQ(count, static_cast<std::size_t>(std::distance(fs::directory_iterator(ours),
                                                                fs::directory_iterator())));
    }
}

TEST(CliSac, RefusalsAreUsageErrorsOrFailTheTraceAlone) {
    TempDir dir;
    const fs::path good = dir / "good.sac";
    const fs::path no_delta = dir / "nodelta.sac";
    const fs::path bad_samples = dir / "bad.sac";
    const fs::path uneven = dir / "uneven.sac";
    const fs::path out = dir / "out";
    fs::create_directory(out);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    SacBuilder().Samples(TestSamples(500)).WriteTo(good);
    SacBuilder().Samples(TestSamples(500)).Real(sac::real::DELTA, 0.0f).WriteTo(no_delta);
    SacBuilder()
        .Samples({1, nan, 2, std::numeric_limits<float>::infinity(), 3})
        .WriteTo(bad_samples);
    SacBuilder().Samples(TestSamples(500)).Int(35, 0).WriteTo(uneven);  // LEVEN false
    struct Row {
        std::vector<std::string> args;
        int status;
        const char* message;
    };
    const std::string g = good.string();
    const Row rows[] = {
        {{"sac", g, "--filter", "notch:50"}, 2, "sac: --filter \"notch:50\": unknown filter"},
        {{"sac", g, "--filter", "bandpass:10:1"}, 2, "lower corner 10 Hz is not below the upper"},
        {{"sac", g, "--filter", "bandpass:0:1"}, 2, "\"0\" is not a positive number"},
        {{"sac", g, "--filter", "highpass:-2"}, 2, "\"-2\" is not a positive number"},
        {{"sac", g, "--filter", "lowpass"}, 2, "written lowpass:F"},
        {{"sac", g, "--filter", "local", "--corners", "0"}, 2, "--corners \"0\": give a whole"},
        {{"sac", g, "--filter", "local", "--corners", "11"}, 2, "--corners \"11\""},
        {{"sac", g, "--filter", "local", "--corners", "2.5"}, 2, "--corners \"2.5\""},
        {{"sac", g, "--corners", "3"}, 2, "--corners 3: give it with --filter"},
        {{"wav", g, "--rate", "8000", "--causal"}, 2, "--causal: give it with --filter"},
        {{"sac", g, "--filter", "audible"}, 2, "--filter audible: the audible band follows"},
        {{"plot", g, "--filter", "audible"}, 2, "plot: --filter audible"},
        {{"sac", g, "--filter", "lowpass:50"},
         1,
         "good.sac: cannot filter: the low-pass corner 50 Hz is not below the Nyquist frequency "
         "of this trace, 50 Hz."},
        {{"sac", g, "--filter", "highpass:80"}, 1, "the high-pass corner 80 Hz is not below"},
        {{"wav", g, "--rate", "20", "--filter", "audible"},
         1,
         "the lower corner 100 Hz is not below the Nyquist frequency"},
        {{"plot", g, "--filter", "bandpass:60:70"}, 1, "the lower corner 60 Hz is not below"},
        {{"sac", no_delta.string(), "--filter", "local"}, 1, "DELTA (the sampling interval)"},
        {{"sac", bad_samples.string(), "--filter", "local"},
         1,
         "cannot filter: 2 samples are not finite numbers."},
        {{"wav", bad_samples.string(), "--rate", "100", "--filter", "local"},
         1,
         "2 samples are not finite numbers"},
        {{"sac", uneven.string(), "--filter", "local"}, 1, "no evenly sampled time series"},
        {{"sac", g, "--output-dir", dir.path().string()},
         1,
         "is the trace file itself; write into another folder with --output-dir"},
        {{"sac", g, "--force", "--filter", "local", "--output-dir", dir.path().string()},
         1,
         "is the trace file itself"},
    };
    for (const Row& row : rows) {
        std::string line;
        for (const std::string& a : row.args)
            line += a + " ";
        SCOPED_TRACE(line);
        std::vector<std::string> args = row.args;
        if (std::find(args.begin(), args.end(), "--output-dir") == args.end()) {
            args.insert(args.end(), {"--output-dir", out.string()});
        }
        const Bytes before = ReadFileBytes(good);
        const RunResult run = RunCli(args);
        EXPECT_EQ(run.status, row.status);
        EXPECT_NE(run.err.find(row.message), std::string::npos) << run.err;
        EXPECT_TRUE(run.out.empty()) << run.out;
        EXPECT_TRUE(fs::is_empty(out)) << "something was written";
        EXPECT_EQ(ReadFileBytes(good), before);
    }
}

TEST(CliSac, ExistingFilesKeptUnlessForcedAndOneOutputPerName) {
    TempDir dir;
    fs::create_directories(dir / "a");
    fs::create_directories(dir / "b");
    fs::create_directories(dir / "out");
    SacBuilder().Samples(TestSamples(400)).WriteTo(dir / "a" / "t.sac");
    SacBuilder().Samples(TestSamples(400)).BigEndian().WriteTo(dir / "b" / "t.sac");
    const std::string out = (dir / "out").string();
    const fs::path target = dir / "out" / "t.sac";

    RunResult run = RunCli({"sac", (dir / "a" / "t.sac").string(), (dir / "b" / "t.sac").string(),
                            "--output-dir", out});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("a/t.sac: wrote"), std::string::npos) << run.out;
    EXPECT_NE(
        run.err.find("b/t.sac: not written: " + target.string() + " was already written from"),
        std::string::npos)
        << run.err;
    const Bytes first = ReadFileBytes(target);
    EXPECT_EQ(Word(first, 70 + 1, false), 32u) << "the first, little-endian file was written";

    run = RunCli({"sac", (dir / "b" / "t.sac").string(), "--filter", "local", "--output-dir", out});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("kept " + target.string() + " (it already holds data; --force"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(ReadFileBytes(target), first);

    run = RunCli({"sac", (dir / "b" / "t.sac").string(), "--filter", "local", "--output-dir", out,
                  "--force"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Word(ReadFileBytes(target), 70 + 1, true), 32u) << "replaced by the big-endian one";
}

// wav --filter plays the filtered samples: its file is the one wav writes,
// unfiltered, for the SAC file that sac --filter writes (a one-pass filter
// worked out as the samples are read).
TEST(CliSac, WavFilterSoundsTheFilteredSamples) {
    TempDir dir;
    fs::create_directories(dir / "filtered");
    fs::create_directories(dir / "direct");
    fs::create_directories(dir / "via-sac");
    const fs::path input = dir / "t.sac";
    // 128 samples a second: DELTA exact in single precision, so the audible
    // band's corners are exact too.
    SacBuilder().Samples(TestSamples(20000)).Real(sac::real::DELTA, 0.0078125f).WriteTo(input);
    struct Row {
        std::vector<std::string> wav_filter;
        std::vector<std::string> sac_filter;
    };
    // At 8000 samples a second the trace is sped up 62.5 times: the audible
    // band starts at 0.32 Hz and reaches past Nyquist.
    const Row rows[] = {
        {{"--filter", "local"}, {"--filter", "local"}},
        {{"--filter", "audible", "--corners", "3", "--causal"},
         {"--filter", "highpass:0.32", "--corners", "3", "--causal"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.wav_filter[1]);
        std::vector<std::string> sac = {"sac", input.string(), "--force", "--output-dir",
                                        (dir / "filtered").string()};
        sac.insert(sac.end(), row.sac_filter.begin(), row.sac_filter.end());
        ASSERT_EQ(RunCli(sac).status, 0);
        std::vector<std::string> wav = {"wav",  input.string(), "--rate",
                                        "8000", "--output-dir", (dir / "direct").string()};
        wav.insert(wav.end(), row.wav_filter.begin(), row.wav_filter.end());
        ASSERT_EQ(RunCli(wav).status, 0);
        ASSERT_EQ(RunCli({"wav", (dir / "filtered" / "t.sac").string(), "--rate", "8000",
                          "--output-dir", (dir / "via-sac").string()})
                      .status,
                  0);
        const Bytes direct = ReadFileBytes(dir / "direct" / "t.wav");
        EXPECT_GT(direct.size(), 40000u);
        EXPECT_EQ(direct, ReadFileBytes(dir / "via-sac" / "t.wav"));
    }

    // A file that will be kept is seen before the samples are filtered: a
    // trace whose samples the filter would refuse (one not a number) is
    // reported as kept.
    fs::create_directories(dir / "bad");
    SacBuilder()
        .Samples({1, std::numeric_limits<float>::quiet_NaN(), 2})
        .Real(sac::real::DELTA, 0.0078125f)
        .WriteTo(dir / "bad" / "t.sac");
    const Bytes before = ReadFileBytes(dir / "direct" / "t.wav");
    const RunResult kept = RunCli({"wav", (dir / "bad" / "t.sac").string(), "--rate", "8000",
                                   "--filter", "local", "--output-dir", (dir / "direct").string()});
    EXPECT_EQ(kept.status, 0) << kept.err;
    EXPECT_NE(kept.out.find(": kept "), std::string::npos) << kept.out;
    EXPECT_EQ(ReadFileBytes(dir / "direct" / "t.wav"), before);
    // A filter the trace cannot take fails it all the same.
    const RunResult refused =
        RunCli({"wav", (dir / "bad" / "t.sac").string(), "--rate", "8000", "--filter",
                "lowpass:100", "--output-dir", (dir / "direct").string()});
    EXPECT_EQ(refused.status, 1) << refused.out;
    EXPECT_EQ(ReadFileBytes(dir / "direct" / "t.wav"), before);
}

}  // namespace
}  // namespace tremorline::cli
