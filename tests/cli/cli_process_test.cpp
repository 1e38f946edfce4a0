// SPDX-License-Identifier: MIT
// Runs the built tremorline-cli as a process and checks what it writes to
// stdout and stderr and its exit status.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/real_files.h"
#include "support/run_cli.h"
#include "support/sac_builder.h"
#include "support/temp_dir.h"
#include "trace/golden_summary.h"

namespace tremorline::cli {
namespace {

using testing::GoldenSummary;
using testing::RunCli;
using testing::RunResult;
using testing::SacBuilder;
using testing::TempDir;
using testing::TestDataDir;

std::string DataFile(const char* name) {
    return (TestDataDir() / name).string();
}

TEST(CliSummaryRealFiles, PrintsTheSummaryOfEachFileWithLinuxLineEnds) {
    TREMORLINE_NEEDS_REAL_FILES();
    RunResult run =
        RunCli({"summary", DataFile("test.sac"), DataFile("LMOW.BHE.SAC"), DataFile("seism.sac")});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, GoldenSummary("test.sac", "\n") + GoldenSummary("LMOW.BHE.SAC", "\n") +
                           GoldenSummary("seism.sac", "\n"));
}

TEST(CliSummaryRealFiles, FailedFilesGetOneLineEachAndTheOthersAreStillDone) {
    TREMORLINE_NEEDS_REAL_FILES();
    TempDir dir;
    const std::string bad_time = (dir / "bad_time.sac").string();
    SacBuilder().Int(0, -12345).WriteTo(bad_time);
    const std::string missing = (dir / "missing.sac").string();

    RunResult run = RunCli({"summary", DataFile("testxy.sac"), DataFile("seism.sac"), bad_time,
                            missing, DataFile("test.sac")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, GoldenSummary("seism.sac", "\n") + GoldenSummary("test.sac", "\n"));
    const std::string expected_start =
        DataFile("testxy.sac") +
        ": Unknown data type: NZJDAY (the day of the year) is outside 1 to 366 in both byte "
        "orders, so this is not a SAC binary file, or its header is damaged; nor is it a "
        "miniSEED file: its first 6 bytes are not a record's sequence number.\n" +
        bad_time + ": The reference time is not a valid date (NZYEAR -12345).\n" + missing + ": ";
    EXPECT_EQ(run.err.substr(0, expected_start.size()), expected_start);
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 3) << run.err;
}

TEST(CliSummary, HeaderTextsAreWrittenByteForByte) {
    TempDir dir;
    const std::string file = (dir / "bytes.sac").string();
    // A CR LF inside a text is data, not a line end to translate.
    SacBuilder().RawText(0, "A\r\nB\xFF\x01z").WriteTo(file);
    RunResult run = RunCli({"summary", file});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("\nStation Name A\r\nB\xFF\x01z \n"), std::string::npos) << run.out;
}

// The sample trace, converted from miniSEED by another program in both byte
// orders, gives the same summary and the same PSN file either way.
TEST(CliSample, BothByteOrdersOfAConvertedTraceGiveTheSameOutputs) {
    const std::filesystem::path sample = TREMORLINE_SAMPLE_DIR;
    const std::string little = (sample / "COLA.LHZ.sac").string();
    const std::string big = (sample / "COLA.LHZ.big-endian.sac").string();
    RunResult little_run = RunCli({"summary", little});
    RunResult big_run = RunCli({"summary", big});
    ASSERT_EQ(little_run.status, 0) << little_run.err;
    ASSERT_EQ(big_run.status, 0) << big_run.err;
    const std::string body = little_run.out.substr(little_run.out.find('\n'));
    EXPECT_EQ(big_run.out.substr(big_run.out.find('\n')), body);
    for (const char* line :
         {"\nORIGIN: 02/27/2010 06:50:00.069\n", "\nEVENT: 02/27/2010 06:34:11.5\n",
          "\nSample Interval 1\n", "\nStation LAT 64.8736\n", "\nComponent LHZ     \n",
          "\nStation Name COLA    \n", "\nNetwork  IU      \n"}) {
        EXPECT_NE(body.find(line), std::string::npos) << line << body;
    }

    TempDir dir;
    std::filesystem::create_directory(dir / "le");
    std::filesystem::create_directory(dir / "be");
    EXPECT_EQ(RunCli({"psn", little, "--output-dir", (dir / "le").string()}).status, 0);
    EXPECT_EQ(RunCli({"psn", big, "--output-dir", (dir / "be").string()}).status, 0);
    const std::string name = "100227.065000.COLAZ.psn";
    const std::vector<unsigned char> psn = testing::ReadFileBytes(dir / "le" / name);
    EXPECT_EQ(psn.size(), 232u + 4u * 4200u);
    EXPECT_EQ(testing::ReadFileBytes(dir / "be" / name), psn);
}

}  // namespace
}  // namespace tremorline::cli
