// Runs the built tremorline-cli as a process and checks what it writes to
// stdout and stderr and its exit status.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/sac_builder.h"
#include "support/temp_dir.h"
#include "trace/expected_summaries.h"

extern char** environ;

namespace tremorline::cli {
namespace {

using testing::SacBuilder;
using testing::TempDir;
using testing::TestDataDir;
using testing::WithLineEnds;

struct RunResult {
    std::string out;
    std::string err;
    int status = -1;
};

std::string FileText(const std::filesystem::path& path) {
    std::vector<unsigned char> bytes = testing::ReadFileBytes(path);
    return {bytes.begin(), bytes.end()};
}

RunResult RunCli(const std::vector<std::string>& arguments) {
    TempDir dir;
    const std::string out_path = (dir / "out").string();
    const std::string err_path = (dir / "err").string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    std::vector<std::string> all = {TREMORLINE_CLI_PATH};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : all) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);

    RunResult result;
    pid_t pid = 0;
    int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        ADD_FAILURE() << "cannot start " << argv[0];
        return result;
    }
    int wait_status = 0;
    waitpid(pid, &wait_status, 0);
    result.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
    result.out = FileText(out_path);
    result.err = FileText(err_path);
    return result;
}

std::string DataFile(const char* name) {
    return (TestDataDir() / name).string();
}

TEST(CliSummary, PrintsTheSummaryOfEachFileWithLinuxLineEnds) {
    RunResult run =
        RunCli({"summary", DataFile("test.sac"), DataFile("LMOW.BHE.SAC"), DataFile("seism.sac")});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, WithLineEnds(testing::kTestSacSummary, "\n") +
                           WithLineEnds(testing::kLmowSummary, "\n") +
                           WithLineEnds(testing::kSeismSummary, "\n"));
}

TEST(CliSummary, FailedFilesGetOneLineEachAndTheOthersAreStillDone) {
    TempDir dir;
    const std::string bad_time = (dir / "bad_time.sac").string();
    SacBuilder().Int(0, -12345).WriteTo(bad_time);
    const std::string missing = (dir / "missing.sac").string();

    RunResult run = RunCli({"summary", DataFile("testxy.sac"), DataFile("seism.sac"), bad_time,
                            missing, DataFile("test.sac")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, WithLineEnds(testing::kSeismSummary, "\n") +
                           WithLineEnds(testing::kTestSacSummary, "\n"));
    const std::string expected_start =
        DataFile("testxy.sac") + ": Unknown data type\n" + bad_time +
        ": The reference time is not a valid date (NZYEAR -12345).\n" + missing + ": ";
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
    for (const char* line : {"\nORIGIN: 02/27/2010 06:50:00.069\n",
                             "\nEVENT: 02/27/2010 06:34:11.5\n", "\nSample Interval 1\n",
                             "\nStation LAT 64.8736\n", "\nComponent LHZ     \n",
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

TEST(CliSummary, UsageAndHelp) {
    struct Case {
        std::vector<std::string> arguments;
        int status;
        const char* says;
    };
    const Case cases[] = {
        {{"--help"}, 0, "summary"},
        {{"summary", "--help"}, 0, "standard error"},
        {{}, 106, ""},           // a command is required
        {{"summary"}, 106, ""},  // so is a file
    };
    for (const Case& c : cases) {
        RunResult run = RunCli(c.arguments);
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_NE(run.out.find(c.says), std::string::npos) << run.out;
    }
}

}  // namespace
}  // namespace tremorline::cli
