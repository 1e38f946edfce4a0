// SPDX-License-Identifier: MIT
#pragma once

// Playing a span of the trace from the waveform window, and the rate a
// span's sound gets. Free of Qt: the commands reach the window and the
// player through WindowOps and SoundPlayer.

#include <cstdint>
#include <memory>
#include <optional>

#include "app/app_state.h"
#include "app/window_ops.h"
#include "sound/play_position.h"
#include "trace/loaded_trace.h"
#include "trace/span.h"

namespace tremorline::app {

// Combo1's rate when it holds a usable one, otherwise the recommended rate
// for a trace sampled every `delta` seconds; nothing when neither can be had.
std::optional<std::int32_t> SoundBoxRate(const WindowOps& window, float delta);

// Whether the sound set up in `state` was built from `trace`'s samples.
bool SoundIsOf(const AppState& state, const trace::LoadedTrace& trace);

// Starts `span` of `trace` on `player` at SoundBoxRate. Where the sound set
// up is not of this trace, sets it up first, without the set-up's messages.
// The span's image is cut from the audio samples already built, so no
// sample of the trace is read again, and the levels are the whole trace's:
// a span sounds as it does within the whole. Returns what the position line
// needs. Throws UserError when there is no rate or no sound.
sound::PlayedSound PlaySpan(AppState& state, WindowOps& window, SoundPlayer& player,
                            const std::shared_ptr<const trace::LoadedTrace>& trace,
                            trace::SampleSpan span);

}  // namespace tremorline::app
