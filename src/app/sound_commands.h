// SPDX-License-Identifier: MIT
#pragma once

// The Sound Box: Set Up Sound, Play Sound, Stop Sound and Save Sound. Each
// command reports its own failures in a message box and never throws. The
// long ones run through WindowOps::RunLong; a cancelled one changes nothing.

#include <memory>
#include <optional>
#include <string>

#include "app/app_state.h"
#include "app/window_ops.h"
#include "sound/play_position.h"

namespace tremorline::app {

// A sound handed to the player, as the Sound Box and the waveform window
// follow it: described when it starts, since a later set-up or load
// replaces what it was made from.
struct StartedSound {
    sound::PlayedSound described;
    std::weak_ptr<const trace::LoadedTrace> trace;  // the trace it was made from
    std::string title;                              // that trace file's title
    std::size_t first_sample = 0;                   // the trace's sample the sound starts at
};

// Set Up Sound (Command1_Click): reads the samples afresh, shows their
// levels, builds the audio samples and the WAVE header (keeping the rate of
// the last play), shows the rate advice, puts the recommended rate into
// Combo1 and enables Play Sound. A trace that gives no sound (unreadable,
// flat, not finite, too long for a WAVE file) is refused with a message and
// changes nothing else.
void SetUpSound(AppState& state, WindowOps& window);

// Play Sound (PlaySound_Click): reads the rate from Combo1, puts it into the
// header, enables Save Sound and hands a new image to the player; Stop Sound
// is enabled when the sound starts. "0" asks for a rate; text that is no
// usable rate is refused; neither changes anything. Returns the sound handed
// to the player, nothing when none was.
std::optional<StartedSound> PlaySound(AppState& state, WindowOps& window, SoundPlayer& player);

// Stop Sound (StopSound_Click): silences the sound at once and disables
// itself; the sound's image and everything else stay as they were.
void StopSound(WindowOps& window, SoundPlayer& player);

// Save Sound (SaveWAVE_Click): writes the image of the current header and
// audio samples to the name of the trace they were set up from, with ".wav"
// for its last four characters, in the output folder. A file of that name
// that holds data is replaced only when the user says Yes. It then says
// "<name>done." and, on the status line, the path and the rate written. The
// audio samples are kept, so Play and Save go on working until the next
// set-up.
void SaveSound(AppState& state, WindowOps& window);

// The status line after a save: "Saved /data/COLA.LHZ.wav at 4000 samples/s".
std::string SoundSavedNote(const std::filesystem::path& path, std::int32_t rate);

}  // namespace tremorline::app
