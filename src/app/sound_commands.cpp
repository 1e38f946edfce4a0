// SPDX-License-Identifier: MIT
#include "app/sound_commands.h"

#include <filesystem>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

#include "app/command_guard.h"
#include "common/user_error.h"
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

void SetUpSound(AppState& state, WindowOps& window) {
    RunCommand(window, [&] {
        const trace::LoadedTrace& trace = RequireLoadedTrace(state, "setting up its sound");
        sound::BuiltSound built = sound::BuildSound(
            trace, state.SoundState.WaveHeader, [&](const sound::SoundLevels& levels) {
                if (sound::LevelsAreFinite(levels)) {
                    window.ShowMessage(sound::SoundLevelsText(levels));
                }
            });
        state.SoundState.SoundLevels = built.levels;
        state.SoundState.WaveData = std::move(built.wave_data);
        state.SoundState.WaveHeader = built.header;
        state.SoundState.TraceFileTitle = state.TraceFileTitle;
        state.SoundState.TraceInfo = trace.info;
        window.ShowMessage(sound::RateAdviceText(trace.info.DELTA));
        window.SetEnabled(Control::PlaySound, true);
    });
}

void PlaySound(AppState& state, WindowOps& window, SoundPlayer& player) {
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
        sound::WaveHeader header = state.SoundState.WaveHeader;
        sound::SetPlayRate(header, reading.rate);
        auto image = std::make_shared<const std::vector<unsigned char>>(
            sound::BuildPlayBuffer(header, state.SoundState.WaveData));
        state.SoundState.PlayRate = reading.rate;
        state.SoundState.WaveHeader = header;
        window.SetEnabled(Control::SaveSound, true);
        // The player holds its own share of the image it is playing, so the
        // old image lives on until the player has let it go.
        state.SoundState.PlayBuffer = std::move(image);
        player.Play(state.SoundState.PlayBuffer);
        window.SetEnabled(Control::StopSound, player.IsPlaying());
    });
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
        const std::filesystem::path saved =
            sound::SaveSoundFile(state.output_folder, state.SoundState.TraceFileTitle,
                                 state.SoundState.WaveHeader, state.SoundState.WaveData);
        window.ShowMessage(saved.filename().string() + "done.");
    });
}

}  // namespace tremorline::app
