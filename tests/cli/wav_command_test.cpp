#include "cli/wav_command.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "app/sound_commands.h"
#include "app/trace_commands.h"
#include "common/user_error.h"
#include "sound/wave_image.h"
#include "support/current_folder.h"
#include "support/fake_window.h"
#include "support/sac_builder.h"
#include "support/temp_dir.h"

namespace tremorline::cli {
namespace {

using testing::ReadFileBytes;
using testing::TempDir;
using testing::TestDataDir;

// What the window's Save Sound writes after one Set Up Sound and one Play.
std::vector<unsigned char> SavedByWindow(const std::filesystem::path& trace,
                                         const std::string& rate,
                                         const std::filesystem::path& folder) {
    app::AppState state;
    testing::FakeWindow window;
    testing::FakePlayer player;
    state.trace_file = std::make_unique<sac::TraceFile>(trace);
    state.TraceFileTitle = trace.filename().string();
    app::LoadSacFile(state, window);
    app::SetUpSound(state, window);
    window.combo1 = rate;
    app::PlaySound(state, window, player);
    {
        testing::CurrentFolderGuard inside(folder);
        app::SaveSound(state, window);
    }
    return ReadFileBytes(folder / sound::WaveFileName(trace.filename().string()));
}

TEST(WavCommand, WritesWhatSaveSoundWritesForRealTraces) {
    const struct {
        const char* trace;
        const char* wav;
        std::int32_t rate;
        std::size_t bytes;
    } cases[] = {
        {"test.sac", "test.wav", 8000, 244},
        {"test.sac.swap", "test.sac..wav", 4000, 244},
        {"seism.sac", "seism.wav", 44100, 2044},
        {"CRLZ.HHZ.10.NZ.SAC", "CRLZ.HHZ.10.NZ.wav", 48000, 65580},
    };
    for (const auto& c : cases) {
        TempDir cli_out;
        TempDir window_out;
        std::ostringstream report;
        const std::string trace = (TestDataDir() / c.trace).string();
        WriteWavForTrace(trace, c.rate, cli_out.path(), report);
        EXPECT_EQ(report.str(), trace + ": wrote " + (cli_out / c.wav).string() + "\n");
        const auto written = ReadFileBytes(cli_out / c.wav);
        EXPECT_EQ(written.size(), c.bytes) << c.trace;
        EXPECT_EQ(written,
                  SavedByWindow(TestDataDir() / c.trace, std::to_string(c.rate), window_out.path()))
            << c.trace;
    }
}

TEST(WavCommand, AFourCharacterNameGivesTheExtensionAlone) {
    TempDir in;
    TempDir out;
    testing::SacBuilder().Samples({1.0f, 2.0f}).WriteTo(in / "abcd");
    std::ostringstream report;
    WriteWavForTrace((in / "abcd").string(), 8000, out.path(), report);
    EXPECT_EQ(report.str(), (in / "abcd").string() + ": wrote " + (out / ".wav").string() + "\n");
    EXPECT_EQ(ReadFileBytes(out / ".wav").size(), 48u);
}

TEST(WavCommand, TracesWithoutASoundAreRefusedAndWriteNothing) {
    const struct {
        const char* name;
        std::vector<float> samples;
        const char* reason_part;
    } cases[] = {
        {"flat.sac", std::vector<float>(50, 3.0f), "does not vary"},
        {"abc", {1.0f, 2.0f}, "too short to name a sound file"},
    };
    for (const auto& c : cases) {
        TempDir in;
        TempDir out;
        testing::SacBuilder().Samples(c.samples).WriteTo(in / c.name);
        std::ostringstream report;
        try {
            WriteWavForTrace((in / c.name).string(), 8000, out.path(), report);
            ADD_FAILURE() << c.name << ": not refused";
        } catch (const UserError& error) {
            EXPECT_NE(std::string(error.what()).find(c.reason_part), std::string::npos)
                << c.name << ": " << error.what();
        }
        EXPECT_TRUE(report.str().empty()) << c.name;
        EXPECT_TRUE(std::filesystem::is_empty(out.path())) << c.name;
    }
}

}  // namespace
}  // namespace tremorline::cli
