// The batch tool's wav and psn commands, run as a process, write what the
// window writes for the same trace; the wav command's rate option and its
// per-file failures.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/psn_command.h"
#include "app/sound_commands.h"
#include "app/trace_commands.h"
#include "support/current_folder.h"
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

// Loads `trace` in a fake window, as Open does, and runs `commands` in `folder`.
template <typename Commands>
void InWindow(const std::filesystem::path& trace, const std::filesystem::path& folder,
              Commands commands) {
    app::AppState state;
    testing::FakeWindow window;
    state.trace_file = std::make_unique<sac::TraceFile>(trace);
    state.TraceFileTitle = trace.filename().string();
    app::LoadSacFile(state, window);
    testing::CurrentFolderGuard inside(folder);
    commands(state, window);
}

TEST(CliWindowOutputRealFiles, WavIsWhatSaveSoundWritesAfterOneSetUpAndPlay) {
    TREMORLINE_NEEDS_REAL_FILES();
    const struct {
        const char* trace;
        const char* wav;
        const char* rate;
        std::size_t bytes;
    } cases[] = {
        {"test.sac", "test.wav", "8000", 244},
        {"test.sac.swap", "test.sac..wav", "4000", 244},
        {"seism.sac", "seism.wav", "44100", 2044},
        {"CRLZ.HHZ.10.NZ.SAC", "CRLZ.HHZ.10.NZ.wav", "48000", 65580},
    };
    for (const auto& c : cases) {
        TempDir cli_out;
        TempDir window_out;
        const std::string trace = (TestDataDir() / c.trace).string();
        RunResult run = RunCli({"wav", trace, "--rate", c.rate, "--output-dir", cli_out.path()});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, trace + ": wrote " + (cli_out / c.wav).string() + "\n");
        InWindow(trace, window_out.path(), [&](app::AppState& state, testing::FakeWindow& window) {
            testing::FakePlayer player;
            app::SetUpSound(state, window);
            window.combo1 = c.rate;
            app::PlaySound(state, window, player);
            app::SaveSound(state, window);
        });
        const Bytes written = ReadFileBytes(cli_out / c.wav);
        EXPECT_EQ(written.size(), c.bytes) << c.trace;
        EXPECT_EQ(written, ReadFileBytes(window_out / c.wav)) << c.trace;
    }
}

TEST(CliWindowOutputRealFiles, PsnIsWhatMakePsnWrites) {
    TREMORLINE_NEEDS_REAL_FILES();
    for (const char* trace : {"test.sac.swap", "LMOW.BHE.SAC"}) {
        TempDir cli_out;
        TempDir window_out;
        const std::string path = (TestDataDir() / trace).string();
        EXPECT_EQ(RunCli({"psn", path, "--output-dir", cli_out.path()}).status, 0) << trace;
        InWindow(path, window_out.path(), [](app::AppState& state, testing::FakeWindow& window) {
            app::MakePsn(state, window);
        });
        const auto name = std::filesystem::directory_iterator(window_out.path())->path().filename();
        EXPECT_EQ(ReadFileBytes(cli_out / name), ReadFileBytes(window_out / name)) << trace;
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
