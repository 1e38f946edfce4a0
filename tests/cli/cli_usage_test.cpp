// SPDX-License-Identifier: MIT
// The batch tool as a process, for what concerns a whole run rather than one
// trace: its version, usage errors and their status, the output folder, and
// two traces that map to one output name.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "sac/sac_header.h"
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

// The builder's default trace: 1 February 2005 03:04:05, station STA, BHZ.
constexpr const char* kPsnName = "050201.030405.STAZ.psn";

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(CliRun, VersionComesFromTheProject) {
    RunResult run = RunCli({"--version"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, std::string("tremorline-cli ") + TREMORLINE_VERSION + "\n");
    EXPECT_EQ(run.err, "");
}

// A usage error is the tool's own message, names what is wrong, points to
// the help and exits 2; nothing is read or written.
TEST(CliRun, UsageErrorsExitTwoAndSayWhatIsWrong) {
    TempDir dir;
    const std::string trace = (dir / "trace.sac").string();
    SacBuilder().Samples({1, -2, 3}).WriteTo(trace);
    struct Case {
        std::vector<std::string> arguments;
        std::string says;
    };
    const Case cases[] = {
        {{}, "tremorline-cli: no command given; the commands are summary, psn, wav, plot or sac\n"},
        {{"draw", trace}, "tremorline-cli: unknown command 'draw'; the commands are "},
        {{"--verbose", "psn", trace}, "tremorline-cli: unknown option --verbose\n"},
        {{"psn"}, "tremorline-cli: psn: no trace file given\n"},
        {{"psn", "--fast", trace}, "tremorline-cli: psn: unknown option --fast\n"},
        {{"psn", trace, "--output-dir"}, "tremorline-cli: psn: --output-dir"},
        {{"wav", trace}, "tremorline-cli: wav: --rate is required\n"},
        {{"wav", trace, "--rate", "0"},
         "tremorline-cli: wav: --rate \"0\" is no rate: give a "
         "whole number of samples per second from 1 to "},
        {{"wav", trace, "--rate", "-8000"}, "--rate \"-8000\" is negative"},
        {{"wav", trace, "--rate", "2e9"}, "--rate \"2e9\" is too large"},
        {{"wav", trace, "--rate", "fast"}, "--rate \"fast\" is not a number"},
    };
    for (const Case& c : cases) {
        RunResult run = RunCli(c.arguments);
        const std::string shown = ::testing::PrintToString(c.arguments);
        EXPECT_EQ(run.status, 2) << shown << run.err;
        EXPECT_EQ(run.out, "") << shown;
        EXPECT_EQ(run.err.rfind("tremorline-cli: ", 0), 0u) << shown << run.err;
        EXPECT_TRUE(Contains(run.err, c.says)) << shown << run.err;
        EXPECT_TRUE(Contains(run.err, "--help' for its usage.\n")) << shown << run.err;
        EXPECT_FALSE(Contains(run.err, "Please select")) << shown;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(CliRun, HelpSaysWhatEachStatusMeans) {
    RunResult run = RunCli({"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(Contains(run.out, "--version")) << run.out;
    EXPECT_TRUE(Contains(run.out, "the exit status is 2")) << run.out;
    for (const char* command : {"psn", "wav"}) {
        RunResult command_help = RunCli({command, "--help"});
        EXPECT_EQ(command_help.status, 0);
        EXPECT_TRUE(Contains(command_help.out, "2 for a usage error")) << command_help.out;
        EXPECT_TRUE(Contains(command_help.out, "already written from OTHER in this run"));
    }
}

// A folder that cannot take the outputs is said once, before any trace is
// read: no line for any trace.
TEST(CliRun, AnOutputFolderThatCannotBeUsedIsReportedOnce) {
    TempDir dir;
    const std::string trace = (dir / "trace.sac").string();
    SacBuilder().Samples({1, -2, 3}).WriteTo(trace);
    const std::string missing = (dir / "missing").string();
    struct Case {
        std::string folder;
        std::string reason;
    };
    std::vector<Case> cases = {{missing, "no such folder"}, {trace, "not a folder"}};
    const std::string locked = (dir / "locked").string();
    std::filesystem::create_directory(locked);
    std::filesystem::permissions(
        locked, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    if (::access(locked.c_str(), W_OK) != 0) {  // not so for root
        cases.push_back({locked, "cannot write there (Permission denied)"});
    }
    for (const Case& c : cases) {
        for (const std::vector<std::string>& arguments :
             {std::vector<std::string>{"psn", trace, trace, "--output-dir", c.folder},
              std::vector<std::string>{"wav", "--rate", "8000", trace, "--output-dir", c.folder}}) {
            RunResult run = RunCli(arguments);
            EXPECT_EQ(run.status, 2) << c.folder;
            EXPECT_EQ(run.out, "");
            const std::string first_line = run.err.substr(0, run.err.find('\n') + 1);
            EXPECT_EQ(first_line, "tremorline-cli: " + arguments[0] + ": --output-dir " + c.folder +
                                      ": " + c.reason + "\n");
            EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 2) << run.err;
        }
    }
    EXPECT_FALSE(std::filesystem::exists(missing));
}

// Two traces whose outputs have one name: the first is written, the later
// ones are not, each saying so, and the run fails. A trace that failed
// claims no name.
TEST(CliRun, TwoTracesNeverGoToOneOutput) {
    TempDir in;
    TempDir out;
    const std::string first = (in / "test.sac").string();
    const std::string twin = (in / "test.sac.swap").string();
    SacBuilder().Samples({1, 2, 3}).WriteTo(first);
    SacBuilder().BigEndian().Samples({7, 8, 9, 10}).WriteTo(twin);
    const std::string psn = (out / kPsnName).string();
    for (const char* force : {"--force", ""}) {
        std::filesystem::remove(psn);
        std::vector<std::string> arguments = {"psn", first, twin, "--output-dir",
                                              out.path().string()};
        if (*force != '\0') {
            arguments.push_back(force);
        }
        RunResult run = RunCli(arguments);
        EXPECT_EQ(run.status, 1) << force;
        EXPECT_EQ(run.out, first + ": wrote " + psn + "\n");
        EXPECT_EQ(run.err, twin + ": not written: " + psn + " was already written from " + first +
                               " in this run\n");
        EXPECT_EQ(ReadFileBytes(psn).size(), 232u + 4u * 3u);  // the first trace's
    }

    // Three components of one station give one sound file name.
    const std::string flat = (in / "ANMO.BHZ").string();
    const std::string north = (in / "ANMO.BHN").string();
    const std::string east = (in / "ANMO.BHE").string();
    SacBuilder().Samples({5, 5, 5}).WriteTo(flat);  // does not vary: no sound
    SacBuilder().Samples({1, -1, 1, -1, 1}).WriteTo(north);
    SacBuilder().Samples({1, -1}).WriteTo(east);
    RunResult run =
        RunCli({"wav", "--rate", "8000", flat, north, east, "--output-dir", out.path().string()});
    const std::string wav = (out / "ANMO.wav").string();
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, north + ": wrote " + wav + "\n");
    EXPECT_TRUE(Contains(run.err, flat + ": ")) << run.err;
    EXPECT_TRUE(Contains(run.err, east + ": not written: " + wav + " was already written from " +
                                      north + " in this run\n"))
        << run.err;
    EXPECT_EQ(ReadFileBytes(wav).size(), 44u + 2u * 5u);  // the north component's
}

}  // namespace
}  // namespace tremorline::cli
