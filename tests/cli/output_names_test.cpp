// SPDX-License-Identifier: MIT
// Output names come from the codes in a miniSEED record, which a hostile
// file can set to anything: every command that writes a file keeps it in its
// folder, out of hidden names, and free of control bytes, and says so.

#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/mseed_converter.h"
#include "support/run_cli.h"
#include "support/temp_dir.h"

namespace tremorline::testing {
namespace {

namespace fs = std::filesystem;

// Every file under `folder`, its subfolders included, by path relative to it.
std::vector<std::string> FilesUnder(const fs::path& folder) {
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        files.push_back(fs::relative(entry.path(), folder).string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// The example records with their station (bytes 8-12) and network (bytes
// 18-19) codes replaced in every 512-byte record.
std::vector<unsigned char> WithCodes(std::vector<unsigned char> bytes, const std::string& station,
                                     const std::string& network) {
    for (std::size_t record = 0; record + 512 <= bytes.size(); record += 512) {
        std::copy(station.begin(), station.end(), bytes.begin() + static_cast<long>(record + 8));
        std::copy(network.begin(), network.end(), bytes.begin() + static_cast<long>(record + 18));
    }
    return bytes;
}

std::vector<std::string> Arguments(const std::string& command, const fs::path& out,
                                   const fs::path& file) {
    std::vector<std::string> arguments = {command, "--output-dir", out.string()};
    if (command == "wav") {
        arguments.insert(arguments.end(), {"--rate", "8000"});
    }
    arguments.push_back(file.string());
    return arguments;
}

TEST(OutputNames, CodesThatLeadOutOrHoldControlsAreRefusedByEveryOutput) {
    const std::optional<fs::path> example = FindExampleRecord();
    if (!example) {
        GTEST_SKIP() << "libmseed's example record test.mseed is not installed";
    }
    const std::vector<unsigned char> bytes = ReadFileBytes(*example);
    struct Case {
        std::string name;
        std::string station;  // 5 bytes
        std::string network;  // 2 bytes
        std::string says;     // in the message of wav and plot
    };
    const std::vector<Case> cases = {
        {"up a folder", "/x   ", ". ", "Cannot create ../x.00.LHZ.M.2010.058.065000."},
        {"absolute", "/tmp/", "/ ", "Cannot create /./tmp/.00.LHZ.M.2010.058.065000."},
        {"escape sequence", "\x1b[2J ", "IU", "Cannot create IU.\\x1b[2J.00.LHZ.M."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const fs::path input = dir / "in" / "hostile.mseed";
        fs::create_directories(input.parent_path());
        WriteBytes(input, WithCodes(bytes, c.station, c.network));
        const fs::path out = dir / "a" / "b" / "out";
        fs::create_directories(out);
        for (const std::string command : {"wav", "plot", "psn"}) {
            SCOPED_TRACE(command);
            const RunResult run = RunCli(Arguments(command, out, input));
            EXPECT_EQ(run.status, 1);
            EXPECT_TRUE(run.out.empty()) << run.out;
            EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
            EXPECT_EQ(run.err.find('\x1b'), std::string::npos) << run.err;
            if (command != "psn") {
                EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
            }
            EXPECT_NE(run.err.find("a file name cannot hold the"), std::string::npos) << run.err;
        }
        // Nothing anywhere: not in the folder, not above it.
        EXPECT_EQ(FilesUnder(dir.path()),
                  (std::vector<std::string>{"a", "a/b", "a/b/out", "in", "in/hostile.mseed"}));
    }
    EXPECT_FALSE(fs::exists("/tmp/.00.LHZ.M.2010.058.065000.wav"));
}

// Also: the batch tool prints only its own lines, even where Qt, which draws
// the plot, would complain of a missing login session.
TEST(OutputNames, ABlankNetworkGivesNoHiddenFile) {
    const std::optional<fs::path> example = FindExampleRecord();
    if (!example) {
        GTEST_SKIP() << "libmseed's example record test.mseed is not installed";
    }
    TempDir dir;
    const fs::path input = dir / "blank.mseed";
    WriteBytes(input, WithCodes(ReadFileBytes(*example), "COLA ", "  "));
    const fs::path out = dir / "out";
    fs::create_directories(out);
    ::unsetenv("XDG_RUNTIME_DIR");
    for (const std::string command : {"wav", "plot"}) {
        const RunResult run = RunCli(Arguments(command, out, input));
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");
    }
    EXPECT_EQ(FilesUnder(out), (std::vector<std::string>{"COLA.00.LHZ.M.2010.058.065000.png",
                                                         "COLA.00.LHZ.M.2010.058.065000.wav"}));
}

}  // namespace
}  // namespace tremorline::testing
