// SPDX-License-Identifier: MIT
#include "app/sound_commands.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "app/psn_command.h"
#include "app/span_play.h"
#include "app/trace_commands.h"
#include "common/byte_order.h"
#include "sac/sac_header.h"
#include "sound/wave_header.h"
#include "sound/wave_image.h"
#include "support/fake_window.h"
#include "support/sac_builder.h"
#include "support/temp_dir.h"

namespace tremorline::app {
namespace {

using testing::FakePlayer;
using testing::FakeWindow;
using testing::ReadFileBytes;
using testing::SacBuilder;
using testing::TempDir;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

const char* const kWorkedLevels = "Min Max Bias= -1500  2500  500";
const char* const kAdviceStart = "Input sample rate is 100. ";

std::int32_t RateIn(const std::vector<unsigned char>& image) {
    return static_cast<std::int32_t>(LoadLE32(image.data() + sound::kSampleRateOffset));
}

AppState WritingTo(const std::filesystem::path& folder) {
    AppState state;
    state.output_folder = folder;
    return state;
}

class SoundCommands : public ::testing::Test {
  protected:
    // Loads a trace of `samples` as if opened under the name `title`.
    void Load(std::vector<float> samples, const std::string& title = "event.SAC",
              bool big_endian = false) {
        const auto path = dir_ / title;
        SacBuilder().Samples(std::move(samples)).BigEndian(big_endian).WriteTo(path);
        state_.TraceFileTitle = title;
        LoadSacFile(state_, window_, path);
        window_.messages.clear();
    }

    void PlayAt(const std::string& rate) {
        window_.combo1 = rate;
        PlaySound(state_, window_, player_);
    }

    bool Enabled(Control control) const { return window_.enabled.at(control); }

    TempDir dir_;
    AppState state_ = WritingTo(dir_.path());
    FakeWindow window_;
    FakePlayer player_;
};

TEST_F(SoundCommands, SetUpShowsLevelsAndAdviceAndEnablesPlay) {
    for (bool save_before : {false, true}) {
        for (bool big_endian : {false, true}) {
            Load({-1000, 3000, -500}, "event.SAC", big_endian);
            window_.enabled[Control::SaveSound] = save_before;
            SetUpSound(state_, window_);
            ASSERT_EQ(window_.messages.size(), 2u);
            EXPECT_EQ(window_.messages[0], kWorkedLevels);
            EXPECT_EQ(window_.messages[1].rfind(kAdviceStart, 0), 0u) << window_.messages[1];
            EXPECT_TRUE(Enabled(Control::PlaySound));
            EXPECT_EQ(Enabled(Control::SaveSound), save_before);
            EXPECT_EQ(window_.combo1, "180000");  // the rate the advice names
            EXPECT_EQ(state_.SoundState.WaveData,
                      (std::vector<std::int16_t>{-19656, 32760, -13104}));
            EXPECT_EQ(state_.SoundState.WaveHeader.DataSize, 6);
        }
    }
}

TEST_F(SoundCommands, SetUpThatGivesNoSoundChangesNothing) {
    const struct {
        const char* what;
        std::vector<float> samples;
        bool levels_shown;
        const char* message_part;
    } cases[] = {
        {"flat", {5, 5, 5}, true, "does not vary"},
        {"single sample", {5}, true, "does not vary"},
        {"NaN", {1, kNaN, 3}, false, "not numbers or are infinite"},
        {"infinity", {1, 2, -kInf}, false, "not numbers or are infinite"},
    };
    for (const auto& c : cases) {
        // A good set-up and play first, so that there is state to keep.
        Load({-1000, 3000, -500});
        SetUpSound(state_, window_);
        PlayAt("8000");
        const sound::SoundState before = state_.SoundState;
        window_.enabled[Control::PlaySound] = false;
        Load(c.samples);

        SetUpSound(state_, window_);
        ASSERT_EQ(window_.messages.size(), c.levels_shown ? 2u : 1u) << c.what;
        if (c.levels_shown) {
            EXPECT_EQ(window_.messages[0].rfind("Min Max Bias= ", 0), 0u) << c.what;
        }
        EXPECT_NE(window_.messages.back().find(c.message_part), std::string::npos)
            << c.what << ": " << window_.messages.back();
        EXPECT_FALSE(Enabled(Control::PlaySound)) << c.what;
        EXPECT_EQ(state_.SoundState.WaveData, before.WaveData) << c.what;
        EXPECT_EQ(state_.SoundState.WaveHeader, before.WaveHeader) << c.what;
        EXPECT_EQ(state_.SoundState.SoundLevels, before.SoundLevels) << c.what;
    }
}

TEST_F(SoundCommands, SetUpWithoutReadableSamplesIsRefused) {
    const struct {
        const char* what;
        void (*prepare)(AppState&, FakeWindow&, const std::filesystem::path&);
        const char* message_part;
    } cases[] = {
        {"after Close",
         [](AppState& state, FakeWindow& window, const std::filesystem::path&) {
             CloseTraceFile(state, window);
         },
         "No trace file is open"},
        {"after a refused load",
         [](AppState& state, FakeWindow& window, const std::filesystem::path& dir) {
             SacBuilder().Int(sac::integer::NZJDAY, 0).WriteTo(dir / "refused.sac");
             LoadSacFile(state, window, dir / "refused.sac");
         },
         "No SAC trace is loaded"},
        {"image beyond the 32-bit sizes",
         [](AppState& state, FakeWindow&, const std::filesystem::path&) {
             auto longer = std::make_shared<trace::LoadedTrace>(*state.trace);
             longer->info.NPTS = sound::kMaxWavePoints + 1;
             state.trace = std::move(longer);
         },
         "a WAVE file holds at most 1073741801"},
    };
    for (const auto& c : cases) {
        Load({-1000, 3000, -500});
        c.prepare(state_, window_, dir_.path());
        window_.messages.clear();
        SetUpSound(state_, window_);
        ASSERT_EQ(window_.messages.size(), 1u) << c.what;
        EXPECT_NE(window_.messages[0].find(c.message_part), std::string::npos)
            << c.what << ": " << window_.messages[0];
        EXPECT_FALSE(Enabled(Control::PlaySound)) << c.what;
        EXPECT_TRUE(state_.SoundState.WaveData.empty()) << c.what;
    }
}

TEST_F(SoundCommands, PlayReadsTheRateFromCombo1) {
    const struct {
        const char* text;
        std::int32_t rate;    // 0: nothing is played
        const char* message;  // shown instead of playing (a part of it)
    } cases[] = {
        {"8000", 8000, nullptr},        {"48000", 48000, nullptr},
        {"8000.5", 8000, nullptr},      {"0", 0, "Please select a sample rate"},
        {"-8000", 0, "is negative"},    {"abc", 0, "is not a sample rate"},
        {"1073741824", 0, "too large"},
    };
    for (const auto& c : cases) {
        Load({-1000, 3000, -500});
        SetUpSound(state_, window_);
        window_.messages.clear();
        window_.enabled[Control::SaveSound] = false;
        player_.played.clear();
        const sound::WaveHeader header_before = state_.SoundState.WaveHeader;

        PlayAt(c.text);
        if (c.rate == 0) {
            ASSERT_EQ(window_.messages.size(), 1u) << c.text;
            EXPECT_NE(window_.messages[0].find(c.message), std::string::npos) << c.text;
            EXPECT_TRUE(player_.played.empty()) << c.text;
            EXPECT_FALSE(Enabled(Control::SaveSound)) << c.text;
            EXPECT_EQ(state_.SoundState.WaveHeader, header_before) << c.text;
            continue;
        }
        EXPECT_TRUE(window_.messages.empty()) << c.text;
        ASSERT_EQ(player_.played.size(), 1u) << c.text;
        const auto& image = *player_.played[0];
        EXPECT_EQ(image.size(), 50u) << c.text;
        EXPECT_EQ(RateIn(image), c.rate) << c.text;
        EXPECT_EQ(LoadLE32(image.data() + sound::kByteRateOffset),
                  static_cast<std::uint32_t>(2 * c.rate))
            << c.text;
        EXPECT_TRUE(Enabled(Control::SaveSound)) << c.text;
        EXPECT_EQ(state_.SoundState.PlayBuffer, player_.played[0]) << c.text;
    }
}

TEST_F(SoundCommands, ANewPlayLeavesTheImageStillPlayingIntact) {
    Load(std::vector<float>{-1000, 3000, -500});
    SetUpSound(state_, window_);
    PlayAt("44100");
    const std::vector<unsigned char> first = *player_.played[0];
    PlayAt("4000");
    ASSERT_EQ(player_.played.size(), 2u);
    EXPECT_EQ(*player_.played[0], first);
    EXPECT_EQ(RateIn(*player_.played[0]), 44100);
    EXPECT_EQ(RateIn(*player_.played[1]), 4000);
}

// Stop Sound is enabled by a play that starts and by nothing else; pressing it
// silences the player and disables it again, and leaves the image and Save
// Sound alone.
TEST_F(SoundCommands, StopSoundIsEnabledOnlyWhileASoundPlays) {
    Load({-1000, 3000, -500});
    SetUpSound(state_, window_);
    window_.messages.clear();

    PlayAt("0");  // no rate: no sound
    EXPECT_FALSE(Enabled(Control::StopSound));

    player_.starts = false;  // no audio output
    PlayAt("8000");
    EXPECT_EQ(player_.played.size(), 1u);
    EXPECT_FALSE(Enabled(Control::StopSound));
    EXPECT_TRUE(Enabled(Control::SaveSound));

    player_.starts = true;
    PlayAt("8000");
    EXPECT_TRUE(Enabled(Control::StopSound));
    const WaveImageBytes image = state_.SoundState.PlayBuffer;

    StopSound(window_, player_);
    EXPECT_EQ(player_.stops, 1);
    EXPECT_FALSE(player_.IsPlaying());
    EXPECT_FALSE(Enabled(Control::StopSound));
    EXPECT_TRUE(Enabled(Control::SaveSound));
    EXPECT_TRUE(Enabled(Control::PlaySound));
    EXPECT_EQ(state_.SoundState.PlayBuffer, image);
    EXPECT_TRUE(window_.messages.size() == 1 &&
                window_.messages[0] == "Please select a sample rate");
}

TEST_F(SoundCommands, SaveWritesThePlayedImageUnderTheTraceName) {
    std::vector<float> wave(1000);
    for (std::size_t i = 0; i < wave.size(); ++i) {
        wave[i] = static_cast<float>(std::sin(0.1 * static_cast<double>(i)));
    }
    Load(wave, "event.SAC");
    SetUpSound(state_, window_);
    PlayAt("8000");
    window_.messages.clear();

    SaveSound(state_, window_);
    ASSERT_EQ(window_.messages, std::vector<std::string>{"event.wavdone."});
    const auto saved = ReadFileBytes(dir_ / "event.wav");
    EXPECT_EQ(saved.size(), 2044u);
    EXPECT_EQ(saved, *player_.played.back());
    EXPECT_EQ(LoadLE32(saved.data() + sound::kDataSizeOffset), 2000u);

    // The status line names the folder and the rate written, which the rate
    // box may no longer show.
    EXPECT_EQ(window_.status, "Saved " + (dir_ / "event.wav").string() + " at 8000 samples/s");

    // The audio samples stay after a save: a second save asks before it
    // replaces the file; No keeps it byte for byte.
    SaveSound(state_, window_);
    EXPECT_EQ(window_.questions, std::vector<std::string>{"Do you want to overwrite event.wav ?"});
    EXPECT_EQ(window_.messages.back(), "Overwrite aborted");
    EXPECT_EQ(ReadFileBytes(dir_ / "event.wav"), saved);

    // A new, shorter set-up saved before the next play keeps the last rate and,
    // with Yes, replaces the file whole.
    Load({-1000, 3000, -500}, "event.SAC");
    SetUpSound(state_, window_);
    window_.answers = {true};
    SaveSound(state_, window_);
    EXPECT_EQ(window_.messages.back(), "event.wavdone.");
    const auto replaced = ReadFileBytes(dir_ / "event.wav");
    ASSERT_EQ(replaced.size(), 50u);
    EXPECT_EQ(RateIn(replaced), 8000);
}

// A long command the user cancels leaves everything as it was before it: no
// file written or replaced, no state changed, nothing said.
TEST_F(SoundCommands, CancelledLongCommandsChangeNothing) {
    const struct {
        const char* what;
        void (*run)(AppState&, FakeWindow&);
    } cases[] = {
        {"Set Up Sound", [](AppState& state, FakeWindow& window) { SetUpSound(state, window); }},
        {"Save Sound", [](AppState& state, FakeWindow& window) { SaveSound(state, window); }},
        {"Make PSN", [](AppState& state, FakeWindow& window) { MakePsn(state, window); }},
    };
    for (const auto& c : cases) {
        Load({-1000, 3000, -500});
        SetUpSound(state_, window_);
        PlayAt("8000");
        Load({7, 1, 9, 4});  // a different trace, so a set-up would change the sound
        window_.messages.clear();
        window_.combo1 = "8000";
        const sound::SoundState before = state_.SoundState;
        const auto controls = window_.enabled;
        std::filesystem::remove(dir_ / "event.wav");

        window_.long_work.clear();
        window_.cancel_long_work = true;
        c.run(state_, window_);
        window_.cancel_long_work = false;
        EXPECT_EQ(window_.long_work.size(), 1u) << c.what;
        EXPECT_TRUE(window_.messages.empty()) << c.what << ": " << window_.messages.front();
        EXPECT_EQ(window_.enabled, controls) << c.what;
        EXPECT_EQ(window_.combo1, "8000") << c.what;
        EXPECT_EQ(state_.SoundState.WaveData, before.WaveData) << c.what;
        EXPECT_EQ(state_.SoundState.WaveHeader, before.WaveHeader) << c.what;
        EXPECT_EQ(state_.SoundState.TraceInfo.NPTS, before.TraceInfo.NPTS) << c.what;
        EXPECT_FALSE(std::filesystem::exists(dir_ / "event.wav")) << c.what;
        for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
            EXPECT_NE(entry.path().extension(), ".psn") << c.what;
        }
    }
}

TEST_F(SoundCommands, SaveNamesTheFileAfterTheTraceTitle) {
    const struct {
        const char* title;
        const char* saved;
    } cases[] = {
        {"event.SAC", "event.wav"},
        {".SAC", "wav"},  // four characters: the extension alone, not hidden
    };
    for (const auto& c : cases) {
        Load({-1000, 3000, -500}, c.title);
        SetUpSound(state_, window_);
        PlayAt("8000");
        window_.messages.clear();
        SaveSound(state_, window_);
        EXPECT_EQ(window_.messages, std::vector<std::string>{std::string(c.saved) + "done."})
            << c.title;
        EXPECT_EQ(ReadFileBytes(dir_ / c.saved).size(), 50u) << c.title;
    }
}

// An Open that fails in the summary still takes the new file's title, while
// Save Sound stays enabled for the sound already set up: that sound keeps
// the name of the trace it came from.
TEST_F(SoundCommands, SaveAfterAFailedOpenNamesTheSoundAfterItsOwnTrace) {
    Load({-1000, 3000, -500}, "A.sac");
    SetUpSound(state_, window_);
    PlayAt("8000");
    SacBuilder().Int(sac::integer::NZYEAR, -12345).WriteTo(dir_ / "other.sac");
    window_.chosen_files.push_back(dir_ / "other.sac");
    OpenTraceFile(state_, window_);
    ASSERT_EQ(window_.text1.substr(0, 7), "Error\r\n");
    ASSERT_EQ(state_.TraceFileTitle, "other.sac");
    ASSERT_TRUE(Enabled(Control::SaveSound));
    window_.messages.clear();

    SaveSound(state_, window_);
    EXPECT_EQ(window_.messages, std::vector<std::string>{"A.wavdone."});
    EXPECT_EQ(ReadFileBytes(dir_ / "A.wav"), *player_.played.back());
    EXPECT_FALSE(std::filesystem::exists(dir_ / "other.wav"));
}

TEST_F(SoundCommands, SaveRefusalsSayWhatFailed) {
    const struct {
        const char* what;
        const char* title;
        bool play;
        bool remove_folder;
        const char* message_part;
    } cases[] = {
        {"title of three characters", "SAC", true, false, "too short to name a sound file"},
        {"no play yet", "event.SAC", false, false, "Play it at a chosen rate first"},
        {"folder gone", "event.SAC", true, true, "Cannot create "},
    };
    for (const auto& c : cases) {
        TempDir work;
        state_ = WritingTo(work.path());
        Load({-1000, 3000, -500}, c.title);
        SetUpSound(state_, window_);
        if (c.play) {
            PlayAt("8000");
        }
        if (c.remove_folder) {
            std::filesystem::remove_all(work.path());
        }
        window_.messages.clear();
        SaveSound(state_, window_);
        ASSERT_EQ(window_.messages.size(), 1u) << c.what;
        EXPECT_NE(window_.messages[0].find(c.message_part), std::string::npos)
            << c.what << ": " << window_.messages[0];
        if (c.remove_folder) {
            // The file is named with its folder: the user chose that folder by
            // opening a trace there, perhaps long ago.
            EXPECT_NE(window_.messages[0].find((work / "event.wav").string()), std::string::npos)
                << window_.messages[0];
        } else {
            EXPECT_EQ(std::distance(std::filesystem::directory_iterator(work.path()), {}), 0)
                << c.what;
        }
    }
}

TEST_F(SoundCommands, PlayAndSaveWithoutASetUpAreRefused) {
    PlayAt("8000");
    SaveSound(state_, window_);
    ASSERT_EQ(window_.messages.size(), 2u);
    EXPECT_NE(window_.messages[0].find("Press Set Up Sound first"), std::string::npos);
    EXPECT_NE(window_.messages[1].find("Press Set Up Sound first"), std::string::npos);
    EXPECT_TRUE(player_.played.empty());
    EXPECT_FALSE(Enabled(Control::SaveSound));
}

// A span plays from the audio already set up (or set up silently, at the
// recommended rate when none is chosen): its image holds exactly the span's
// audio samples, at the rate of the Sound Box.
TEST_F(SoundCommands, ASpanPlaysItsOwnSamplesAtTheSoundBoxRate) {
    std::vector<float> samples(1000);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<float>((i * 37) % 101) - 50;
    }
    Load(samples);
    const trace::SampleSpan span{200, 300};

    const sound::PlayedSound played = PlaySpan(state_, window_, player_, state_.trace, span);
    EXPECT_TRUE(window_.messages.empty());  // set up without its messages
    ASSERT_EQ(player_.played.size(), 1u);
    const std::vector<unsigned char>& image = *player_.played.back();
    EXPECT_EQ(RateIn(image), 180'000);  // 1800 / DELTA: an hour in two seconds
    const std::vector<std::int16_t>& audio = state_.SoundState.WaveData;
    ASSERT_EQ(audio.size(), samples.size());
    const std::vector<unsigned char> expected = sound::BuildPlayBuffer(
        [&] {
            sound::WaveHeader header = state_.SoundState.WaveHeader;
            sound::BuildWaveHeader(header, 300);
            sound::SetPlayRate(header, 180'000);
            return header;
        }(),
        std::span<const std::int16_t>(audio).subspan(200, 300));
    EXPECT_EQ(image, expected);
    EXPECT_EQ(played.sample_count, 300u);
    EXPECT_TRUE(Enabled(Control::PlaySound));

    window_.combo1 = "8000";                // the Sound Box's own rate; nothing is set up again
    state_.SoundState.WaveData[0] = 12345;  // a set-up would build it afresh
    PlaySpan(state_, window_, player_, state_.trace, {0, 1000});
    EXPECT_EQ(RateIn(*player_.played.back()), 8000);
    EXPECT_EQ(player_.played.back()->size(), sound::kWaveHeaderSize + 2000);
    EXPECT_EQ(LoadLE16(player_.played.back()->data() + sound::kWaveHeaderSize), 12345);

    EXPECT_THROW(PlaySpan(state_, window_, player_, state_.trace, {900, 101}), UserError);
}

}  // namespace
}  // namespace tremorline::app
