// SPDX-License-Identifier: MIT
// The batch tool's psn command, run as a process: its options, kept and forced
// files (wav's too), failure lines and exit status. What a PSN file holds is checked by
// the PSN tests; that the tool writes what the window writes, beside the wav
// command's check.

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "common/byte_order.h"
#include "support/real_files.h"
#include "support/run_cli.h"
#include "support/temp_dir.h"

namespace tremorline::cli {
namespace {

using testing::ReadFileBytes;
using testing::RunCli;
using testing::RunResult;
using testing::TempDir;
using testing::TestDataDir;
using Bytes = std::vector<unsigned char>;

std::string Data(const char* name) {
    return (TestDataDir() / name).string();
}

TEST(CliPsnRealFiles, TracesAreWrittenIntoTheOutputFolder) {
    TREMORLINE_NEEDS_REAL_FILES();
    struct Case {
        const char* trace;
        const char* psn;
        std::size_t samples;
        std::uint32_t start_nanoseconds;
        char letter;
    };
    const Case cases[] = {
        {"test.sac", "780718.080000.STAQ.psn", 100, 0, 'Q'},
        {"seism.sac", "810329.103814.CDVQ.psn", 1000, 0, 'Q'},
        {"LMOW.BHE.SAC", "010410.002300.LMOWE.psn", 100, 465'000'000, 'E'},
        {"CRLZ.HHZ.10.NZ.SAC", "090904.000000.CRLZZ.psn", 32768, 7'000'000, 'Z'},
    };
    TempDir out;
    std::vector<std::string> arguments = {"psn", "--output-dir", out.path().string()};
    std::string expected_out;
    for (const Case& c : cases) {
        arguments.push_back(Data(c.trace));
        expected_out += Data(c.trace) + ": wrote " + (out / c.psn).string() + "\n";
    }
    RunResult run = RunCli(arguments);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, expected_out);
    for (const Case& c : cases) {
        Bytes psn = ReadFileBytes(out / c.psn);
        ASSERT_EQ(psn.size(), 232 + 4 * c.samples) << c.trace;
        EXPECT_EQ(LoadLE32(&psn[20]), c.start_nanoseconds) << c.trace;
        EXPECT_EQ(psn[70], c.letter) << c.trace;
    }
}

// psn and wav alike keep a file that holds data unless --force is given.
TEST(CliPsnRealFiles, ExistingFilesKeptUnlessForced) {
    TREMORLINE_NEEDS_REAL_FILES();
    struct Case {
        const char* what;
        std::vector<std::string> command;
        const char* output;
        std::size_t written_size;
        std::string old_content;
        std::vector<std::string> options;
        bool replaced;
    };
    const std::vector<std::string> psn = {"psn"};
    const std::vector<std::string> wav = {"wav", "--rate", "8000"};
    const Case cases[] = {
        {"psn kept", psn, "780718.080000.STAQ.psn", 632, "old", {}, false},
        {"psn forced", psn, "780718.080000.STAQ.psn", 632, "old", {"--force"}, true},
        {"psn empty file written", psn, "780718.080000.STAQ.psn", 632, "", {}, true},
        {"wav kept", wav, "test.wav", 244, "old", {}, false},
        {"wav forced", wav, "test.wav", 244, "old", {"--force"}, true},
        {"wav empty file written", wav, "test.wav", 244, "", {}, true},
    };
    for (const Case& c : cases) {
        TempDir out;
        std::ofstream(out / c.output) << c.old_content;
        std::vector<std::string> arguments = c.command;
        arguments.insert(arguments.end(), {Data("test.sac"), "--output-dir", out.path().string()});
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        RunResult run = RunCli(arguments);
        EXPECT_EQ(run.status, 0) << c.what;
        EXPECT_EQ(ReadFileBytes(out / c.output).size(), c.replaced ? c.written_size : 3u) << c.what;
        const std::string said = c.replaced ? ": wrote " + (out / c.output).string() + "\n"
                                            : ": kept " + (out / c.output).string() +
                                                  " (it already holds data; --force replaces it)\n";
        EXPECT_EQ(run.out, Data("test.sac") + said) << c.what;
    }
}

TEST(CliPsnRealFiles, FailuresGetOneLineEachAndTheOthersAreStillDone) {
    TREMORLINE_NEEDS_REAL_FILES();
    TempDir out;
    RunResult run = RunCli({"psn", "--output-dir", out.path().string(), Data("testxy.sac"),
                            Data("missing.sac"), Data("seism.sac")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(
        run.err.find(
            Data("testxy.sac") +
            ": Unknown data type: NZJDAY (the day of the year) is outside 1 to 366 in both byte "
            "orders, so this is not a SAC binary file, or its header is damaged; nor is it a "
            "miniSEED file: its first 6 bytes are not a record's sequence number.\n"),
        0u)
        << run.err;
    EXPECT_NE(run.err.find("\n" + Data("missing.sac") + ": "), std::string::npos) << run.err;
    EXPECT_EQ(ReadFileBytes(out / "810329.103814.CDVQ.psn").size(), 4232u);
}

}  // namespace
}  // namespace tremorline::cli
