// SPDX-License-Identifier: MIT
// The filter chosen in the Sound Box, through the commands and a fake
// window: what Set Up, Play and Save make of the filtered trace, against the
// core's own filtering and sound; refusals; the kept filtering.

#include "app/filter_commands.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include "app/psn_command.h"
#include "app/sound_commands.h"
#include "app/span_play.h"
#include "app/trace_commands.h"
#include "dsp/filtered_trace.h"
#include "sound/make_sound.h"
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

// Drift at 0.2 Hz, a 5 Hz signal and 30 Hz hum, 100 samples a second.
std::vector<float> Mixture(std::size_t count = 3000) {
    std::vector<float> samples(count);
    for (std::size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) * 0.01;
        samples[i] = static_cast<float>(800 * std::sin(2 * std::numbers::pi * 0.2 * t) +
                                        100 * std::sin(2 * std::numbers::pi * 5 * t) +
                                        300 * std::sin(2 * std::numbers::pi * 30 * t) + 40);
    }
    return samples;
}

dsp::FilterRequest Preset(const std::string& name) {
    return *dsp::ReadFilterText(name).request;
}

int Count(const std::vector<std::string>& titles, const std::string& title) {
    return static_cast<int>(std::count(titles.begin(), titles.end(), title));
}

class FilterCommands : public ::testing::Test {
  protected:
    void Load(std::vector<float> samples, float delta = 0.01f,
              const std::string& title = "event.SAC") {
        const auto path = dir_.path() / title;
        SacBuilder().Real(sac::real::DELTA, delta).Samples(std::move(samples)).WriteTo(path);
        state_.TraceFileTitle = title;
        LoadSacFile(state_, window_, path);
        window_.messages.clear();
    }

    // The WAVE image the core makes of the loaded trace through `request`
    // at `rate`: the filtered trace's sound, played at that rate.
    std::vector<unsigned char> CoreImage(const dsp::FilterRequest& request, std::int32_t rate) {
        const trace::LoadedTrace& trace = *state_.trace;
        sound::BuiltSound built =
            request.Active()
                ? sound::BuildSound(
                      dsp::FilteredTrace(trace, dsp::FixFilterForTrace(trace, request, rate), {}),
                      {})
                : sound::BuildSound(trace, {});
        sound::SetPlayRate(built.header, rate);
        return sound::BuildPlayBuffer(built.header, built.wave_data);
    }

    void PlayAt(const std::string& rate) {
        window_.combo1 = rate;
        PlaySound(state_, window_, player_);
    }

    TempDir dir_;
    AppState state_ = [this] {
        AppState state;
        state.output_folder = dir_.path();
        return state;
    }();
    FakeWindow window_;
    FakePlayer player_;
};

// Set Up, Play and Save make the sound of the filtered trace, byte for byte
// the core's; the trace is filtered once for all three. Going back to None
// makes the sound of the samples as recorded again.
TEST_F(FilterCommands, SoundIsMadeOfTheFilteredTraceFilteredOnce) {
    Load(Mixture());
    ASSERT_TRUE(ChooseFilter(state_, window_, Preset("local")));
    EXPECT_EQ(window_.status, "Filter: band-pass 1-10 Hz, 4 corners, zero phase");
    SetUpSound(state_, window_);
    ASSERT_EQ(window_.messages.size(), 2u);
    EXPECT_EQ(window_.messages[0].rfind("Min Max Bias= ", 0), 0u);
    PlayAt("8000");
    SaveSound(state_, window_);
    EXPECT_EQ(Count(window_.long_work, "Filtering"), 1);
    EXPECT_EQ(*player_.played.back(), CoreImage(Preset("local"), 8000));
    EXPECT_EQ(ReadFileBytes(dir_.path() / "event.wav"), CoreImage(Preset("local"), 8000));

    // The samples as recorded: the summary and PSN never see the filter.
    MakePsn(state_, window_);
    const std::vector<unsigned char> psn_filtered =
        ReadFileBytes(dir_.path() / "050201.030405.STAZ.psn");

    // None again: Play and Save give the sound they gave before any filter.
    ASSERT_TRUE(ChooseFilter(state_, window_, {}));
    EXPECT_EQ(window_.status, "Filter: none");
    window_.answers = {true};
    PlayAt("8000");
    SaveSound(state_, window_);
    EXPECT_EQ(*player_.played.back(), CoreImage({}, 8000));
    EXPECT_EQ(ReadFileBytes(dir_.path() / "event.wav"), CoreImage({}, 8000));
    EXPECT_EQ(Count(window_.long_work, "Filtering"), 1);
    window_.answers = {true};
    MakePsn(state_, window_);
    EXPECT_EQ(ReadFileBytes(dir_.path() / "050201.030405.STAZ.psn"), psn_filtered);
}

// A filter chosen after the set-up reaches the next Play and Save, and a
// span played from the waveform window; the kept filtering belongs to one
// trace: opening another drops it and filters the new one.
TEST_F(FilterCommands, LaterChoicesAndNewTracesAreNeverStale) {
    Load(Mixture());
    SetUpSound(state_, window_);
    PlayAt("8000");
    EXPECT_EQ(*player_.played.back(), CoreImage({}, 8000));

    ASSERT_TRUE(ChooseFilter(state_, window_, Preset("microseism-cut")));
    PlayAt("8000");
    EXPECT_EQ(*player_.played.back(), CoreImage(Preset("microseism-cut"), 8000));
    const sound::PlayedSound played = PlaySpan(state_, window_, player_, state_.trace, {0, 3000});
    EXPECT_EQ(played.sample_count, 3000u);
    EXPECT_EQ(*player_.played.back(), CoreImage(Preset("microseism-cut"), 8000));
    EXPECT_EQ(Count(window_.long_work, "Filtering"), 1);

    const auto before = state_.filtered.filtered;
    std::vector<float> other = Mixture(2000);
    other[7] += 5000;
    Load(other, 0.01f, "other.SAC");
    EXPECT_EQ(state_.filtered.filtered, nullptr);
    SetUpSound(state_, window_);
    PlayAt("4000");
    EXPECT_EQ(Count(window_.long_work, "Filtering"), 2);
    EXPECT_EQ(*player_.played.back(), CoreImage(Preset("microseism-cut"), 4000));
    EXPECT_NE(state_.filtered.filtered, before);
}

// The audible band follows the play rate: Set Up works it out for the
// recommended rate it puts into the box, a play at another rate filters
// again for that rate, and a play at the same rate does not.
TEST_F(FilterCommands, AudibleBandFollowsThePlayRate) {
    Load(Mixture());
    ASSERT_TRUE(ChooseFilter(state_, window_, Preset("audible")));
    SetUpSound(state_, window_);
    EXPECT_EQ(window_.combo1, "180000");
    PlayAt("180000");
    EXPECT_EQ(*player_.played.back(), CoreImage(Preset("audible"), 180000));
    EXPECT_EQ(Count(window_.long_work, "Filtering"), 1);
    // At 8000 samples a second (80 times faster than the ground moved) the
    // band is 0.25-50 Hz: it reaches Nyquist and becomes a high-pass.
    PlayAt("8000");
    EXPECT_EQ(*player_.played.back(), CoreImage(Preset("audible"), 8000));
    EXPECT_NE(CoreImage(Preset("audible"), 8000), CoreImage(Preset("audible"), 180000));
    EXPECT_NE(window_.status.find("high-pass at 0.25 Hz instead."), std::string::npos)
        << window_.status;
    PlayAt("8000");
    EXPECT_EQ(Count(window_.long_work, "Filtering"), 2);
}

// A filter the trace cannot take is refused with a message saying why, and
// leaves the choice in use and the sound made through it as they were; so
// does a filtering the user cancels.
TEST_F(FilterCommands, RefusedOrCancelledChoicesChangeNothing) {
    std::vector<float> bad = Mixture(500);
    bad[3] = std::numeric_limits<float>::quiet_NaN();
    bad[9] = std::numeric_limits<float>::infinity();
    const struct {
        const char* what;
        std::vector<float> samples;
        float delta;
        const char* in_use;  // chosen before
        const char* refused;
        std::string message;  // what the message box starts with; empty for none
    } cases[] = {
        {"low-pass at Nyquist", Mixture(500), 0.01f, "teleseismic-p", "lowpass:50",
         "Cannot filter: the low-pass corner 50 Hz is not below the Nyquist frequency of this "
         "trace, 50 Hz."},
        {"high-pass above Nyquist", Mixture(500), 1.0f, "none", "microseism-cut",
         "Cannot filter: the high-pass corner 1 Hz is not below the Nyquist frequency of this "
         "trace, 0.5 Hz."},
        {"DELTA not positive", Mixture(500), 0.0f, "none", "local", "Cannot filter: DELTA"},
        {"samples not finite", bad, 0.01f, "none", "local",
         "Cannot filter: 2 samples are not finite numbers."},
        {"cancelled", Mixture(500), 0.01f, "teleseismic-p", "local", ""},
    };
    for (const auto& c : cases) {
        Load(c.samples, c.delta);
        const dsp::FilterRequest in_use = Preset(c.in_use);
        ASSERT_TRUE(ChooseFilter(state_, window_, in_use)) << c.what;
        window_.status = "unchanged";
        window_.cancel_long_work = c.message.empty();
        EXPECT_FALSE(ChooseFilter(state_, window_, Preset(c.refused))) << c.what;
        window_.cancel_long_work = false;
        EXPECT_EQ(state_.filter, in_use) << c.what;
        EXPECT_EQ(window_.status, "unchanged") << c.what;
        if (c.message.empty()) {
            EXPECT_TRUE(window_.messages.empty()) << c.what;
        } else {
            ASSERT_EQ(window_.messages.size(), 1u) << c.what;
            EXPECT_EQ(window_.messages[0].rfind(c.message, 0), 0u) << window_.messages[0];
        }
        if (in_use.Active()) {
            // The trace still sounds through the filter in use.
            SetUpSound(state_, window_);
            PlayAt("8000");
            EXPECT_EQ(*player_.played.back(), CoreImage(in_use, 8000)) << c.what;
        }
        ASSERT_TRUE(ChooseFilter(state_, window_, {}));
    }
}

// A band reaching the trace's Nyquist frequency becomes a high-pass, and
// the status line says so.
TEST_F(FilterCommands, BandReachingNyquistBecomesAHighPassWithANote) {
    Load(Mixture(), 0.1f);  // Nyquist 5 Hz
    ASSERT_TRUE(ChooseFilter(state_, window_, Preset("local")));
    EXPECT_EQ(window_.status,
              "Filter: high-pass 1 Hz, 4 corners, zero phase. The upper corner 10 Hz is not "
              "below the Nyquist frequency of this trace, 5 Hz: filtered with a high-pass at "
              "1 Hz instead.");
    SetUpSound(state_, window_);
    PlayAt("4000");
    EXPECT_EQ(*player_.played.back(), CoreImage(Preset("local"), 4000));
}

TEST(FilteredHeading, NamesTheFilterAfterTheTitle) {
    EXPECT_EQ(FilteredHeading("COLA.LHZ", ""), "COLA.LHZ");
    EXPECT_EQ(FilteredHeading("COLA.LHZ", "high-pass 1 Hz, 2 corners, causal"),
              "COLA.LHZ  (high-pass 1 Hz, 2 corners, causal)");
}

}  // namespace
}  // namespace tremorline::app
