// SPDX-License-Identifier: MIT
// The batch tool's wav and psn commands, run as a process, write what the
// window writes for the same trace; the wav command's rate option and its
// per-file failures.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/psn_command.h"
#include "app/sound_commands.h"
#include "app/trace_commands.h"
#include "support/fake_window.h"
#include "support/real_files.h"
#include "support/run_cli.h"
#include "support/sac_builder.h"
#include "support/temp_dir.h"

namespace tremorline::cli {
namespace {

using testing::ReadFileBytes;
using testing::RunCli;
using testing::RunResult;
using testing::TempDir;
using testing::TestDataDir;
using Bytes = std::vector<unsigned char>;

// The batch tool and the window call the same pipelines; this checks that
// they feed them the same: the same trace, rate, folder and file name.
TEST(CliWindowOutputRealFiles, WavAndPsnAreWhatTheWindowWrites) {
    TREMORLINE_NEEDS_REAL_FILES();
    const struct {
        const char* trace;
        const char* wav;
        std::size_t wav_bytes;
    } cases[] = {
        {"test.sac.swap", "test.sac..wav", 244},
        {"CRLZ.HHZ.10.NZ.SAC", "CRLZ.HHZ.10.NZ.wav", 65580},
    };
    for (const auto& c : cases) {
        const char* name = c.trace;
        TempDir cli_out;
        TempDir window_out;
        const std::string trace = (TestDataDir() / name).string();
        RunResult run = RunCli({"wav", trace, "--rate", "48000", "--output-dir", cli_out.path()});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, trace + ": wrote " + (cli_out / c.wav).string() + "\n");
        EXPECT_EQ(ReadFileBytes(cli_out / c.wav).size(), c.wav_bytes);
        ASSERT_EQ(RunCli({"psn", trace, "--output-dir", cli_out.path()}).status, 0) << name;

        app::AppState state;
        state.output_folder = window_out.path();
        state.TraceFileTitle = std::filesystem::path(trace).filename().string();
        testing::FakeWindow window;
        testing::FakePlayer player;
        app::LoadSacFile(state, window, trace);
        app::SetUpSound(state, window);
        window.combo1 = "48000";
        app::PlaySound(state, window, player);
        app::SaveSound(state, window);
        app::MakePsn(state, window);

        std::vector<std::filesystem::path> written;
        for (const auto& entry : std::filesystem::directory_iterator(window_out.path())) {
            written.push_back(entry.path().filename());
        }
        ASSERT_EQ(written.size(), 2u) << name;
        for (const std::filesystem::path& file : written) {
            EXPECT_EQ(ReadFileBytes(cli_out / file), ReadFileBytes(window_out / file)) << file;
        }
    }
}

TEST(CliWav, TracesWithoutASoundFailAloneAndABadRateStopsEverything) {
    TempDir in;
    TempDir out;
    testing::SacBuilder().Samples(std::vector<float>(50, 3.0f)).WriteTo(in / "flat.sac");
    testing::SacBuilder().Samples({1.0f, 2.0f}).WriteTo(in / "abc");
    testing::SacBuilder().Samples({1.0f, 2.0f}).WriteTo(in / "good.sac");
    const std::vector<std::string> files = {(in / "flat.sac").string(), (in / "abc").string(),
                                            (in / "good.sac").string()};

    RunResult run = RunCli({"wav", "--rate", "0", "--output-dir", out.path(), files[2]});
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.status, 1);  // a usage error, not a failed file
    EXPECT_TRUE(std::filesystem::is_empty(out.path()));

    run =
        RunCli({"wav", "--rate", "8000", "--output-dir", out.path(), files[0], files[1], files[2]});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, files[2] + ": wrote " + (out / "good.wav").string() + "\n");
    EXPECT_EQ(run.err.find(files[0] + ": "), 0u) << run.err;
    EXPECT_NE(run.err.find("does not vary"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("\n" + files[1] + ": "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("too short to name a sound file"), std::string::npos) << run.err;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out.path()), {}), 1);
}

}  // namespace
}  // namespace tremorline::cli
