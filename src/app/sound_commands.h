// SPDX-License-Identifier: MIT
#pragma once

// The Sound Box: Set Up Sound, Play Sound and Save Sound. Each command
// reports its own failures in a message box and never throws.

#include "app/app_state.h"
#include "app/window_ops.h"

namespace tremorline::app {

// Set Up Sound (Command1_Click): reads the samples afresh, shows their
// levels, builds the audio samples and the WAVE header (keeping the rate of
// the last play), shows the rate advice and enables Play Sound. A trace that
// gives no sound (unreadable, flat, not finite, too long for a WAVE file) is
// refused with a message and changes nothing else.
void SetUpSound(AppState& state, WindowOps& window);

// Play Sound (PlaySound_Click): reads the rate from Combo1, puts it into the
// header, enables Save Sound and hands a new image to the player; Stop Sound
// is enabled when the sound starts. "0" asks for a rate; text that is no
// usable rate is refused; neither changes anything.
void PlaySound(AppState& state, WindowOps& window, SoundPlayer& player);

// Stop Sound (StopSound_Click): silences the sound at once and disables
// itself; the sound's image and everything else stay as they were.
void StopSound(WindowOps& window, SoundPlayer& player);

// Save Sound (SaveWAVE_Click): writes the image of the current header and
// audio samples to the name of the trace they were set up from, with ".wav"
// for its last four characters, in the output folder, and says
// "<name>done.". The audio samples are kept, so Play and Save go on working
// until the next set-up.
void SaveSound(AppState& state, WindowOps& window);

}  // namespace tremorline::app
