// SPDX-License-Identifier: MIT
#include "app/sound_commands.h"

#include <filesystem>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

#include "app/command_guard.h"
#include "app/filter_commands.h"
#include "app/psn_command.h"
#include "common/user_error.h"
#include "psn/psn_file.h"
#include "sound/make_sound.h"
#include "sound/play_rate.h"
#include "sound/sound_levels.h"
#include "sound/wave_header.h"
#include "sound/wave_image.h"

namespace tremorline::app {
namespace {

static_assert(std::is_same_v<decltype(sound::SoundState::PlayBuffer), WaveImageBytes>,
              "the play buffer is shared with the player as it is");

bool HasSound(const AppState& state) {
    return !state.SoundState.WaveData.empty();
}

}  // namespace

std::string SoundSavedNote(const std::filesystem::path& path, std::int32_t rate) {
    return "Saved " + path.string() + " at " + std::to_string(rate) + " samples/s";
}

void SetUpSound(AppState& state, WindowOps& window) {
    RunCommand(window, [&] {
        const trace::LoadedTrace& trace = RequireLoadedTrace(state, "setting up its sound");
        const std::shared_ptr<const trace::LoadedTrace> held = state.trace;
        // The sound is made through the filter chosen in the Sound Box; with
        // none, from the samples as recorded.
        const AppliedFilter applied =
            ApplyingFilter(state.filter, SetUpRate(window, trace.info.DELTA));
        const FilteredView sounded = FilteredFor(state, window, held, applied);
        // The levels are shown once the work is over, also when the scaling
        // then fails (a trace that does not vary), before the failure.
        std::optional<sound::SoundLevels> levels;
        std::optional<sound::BuiltSound> built;
        try {
            window.RunLong("Setting up the sound", [&](const Progress& progress) {
                built = sound::BuildSound(
                    *sounded.trace, state.SoundState.WaveHeader,
                    [&](const sound::SoundLevels& known) { levels = known; }, progress);
            });
        } catch (const Cancelled&) {
            throw;
        } catch (...) {
            if (levels && sound::LevelsAreFinite(*levels)) {
                window.ShowMessage(sound::SoundLevelsText(*levels));
            }
            throw;
        }
        window.ShowMessage(sound::SoundLevelsText(built->levels));
        state.SoundState.SoundLevels = built->levels;
        state.SoundState.WaveData = std::move(built->wave_data);
        state.SoundState.WaveHeader = built->header;
        state.SoundState.TraceFileTitle = state.TraceFileTitle;
        state.SoundState.TraceInfo = trace.info;
        state.sound_trace = held;
        state.sound_filter = applied;
        if (!sounded.note.empty()) {
            window.ShowStatus(FilterStatusText(sounded));
        }
        window.ShowMessage(sound::RateAdviceText(trace.info.DELTA));
        if (const auto rate = sound::RecommendedPlayRate(trace.info.DELTA)) {
            window.SetCombo1Text(std::to_string(*rate));
        }
        window.SetEnabled(Control::PlaySound, true);
    });
}

std::optional<StartedSound> PlaySound(AppState& state, WindowOps& window, SoundPlayer& player) {
    std::optional<StartedSound> started;
    RunCommand(window, [&] {
        const std::string text = window.Combo1Text();
        const sound::PlayRateReading reading = sound::ReadPlayRate(text);
        if (reading.kind == sound::PlayRateKind::Zero) {
            state.SoundState.PlayRate = 0;
        }
        if (reading.kind != sound::PlayRateKind::Rate) {
            window.ShowMessage(sound::PlayRateProblem(reading, text));
            return;
        }
        if (!HasSound(state)) {
            throw UserError("There is no sound to play. Press Set Up Sound first.");
        }
        RenewFilteredSound(state, window, reading.rate);
        sound::WaveHeader header = state.SoundState.WaveHeader;
        sound::SetPlayRate(header, reading.rate);
        // A copy of every audio sample: long for a long trace.
        WaveImageBytes image;
        window.RunLong("Preparing the sound", [&](const Progress&) {
            image = std::make_shared<const std::vector<unsigned char>>(
                sound::BuildPlayBuffer(header, state.SoundState.WaveData));
        });
        state.SoundState.PlayRate = reading.rate;
        state.SoundState.WaveHeader = header;
        window.SetEnabled(Control::SaveSound, true);
        // The player holds its own share of the image it is playing, so the
        // old image lives on until the player has let it go.
        state.SoundState.PlayBuffer = std::move(image);
        player.Play(state.SoundState.PlayBuffer);
        window.SetEnabled(Control::StopSound, player.IsPlaying());
        started = StartedSound{
            .described = sound::DescribePlayedSound(state.SoundState.TraceInfo,
                                                    state.SoundState.WaveData.size(), reading.rate),
            .trace = state.sound_trace,
            .title = state.SoundState.TraceFileTitle};
    });
    return started;
}

void StopSound(WindowOps& window, SoundPlayer& player) {
    player.Stop();
    window.SetEnabled(Control::StopSound, false);
}

void SaveSound(AppState& state, WindowOps& window) {
    RunCommand(window, [&] {
        if (!HasSound(state)) {
            throw UserError("There is no sound to save. Press Set Up Sound first.");
        }
        if (state.SoundState.WaveHeader.SampleRate <= 0) {
            throw UserError("The sound has no sample rate yet. Play it at a chosen rate first.");
        }
        RenewFilteredSound(state, window, state.SoundState.WaveHeader.SampleRate);
        const std::string name = sound::WaveFileName(state.SoundState.TraceFileTitle);
        if (psn::HoldsData(state.output_folder / name) &&
            !window.AskYesNo(OverwriteQuestion(name))) {
            window.ShowMessage(kOverwriteAborted);
            return;
        }
        std::filesystem::path saved;
        window.RunLong("Saving the sound", [&](const Progress& progress) {
            saved = sound::SaveSoundFile(state.output_folder, state.SoundState.TraceFileTitle,
                                         state.SoundState.WaveHeader, state.SoundState.WaveData,
                                         progress);
        });
        window.ShowMessage(saved.filename().string() + "done.");
        window.ShowStatus(SoundSavedNote(saved, state.SoundState.WaveHeader.SampleRate));
    });
}

}  // namespace tremorline::app
