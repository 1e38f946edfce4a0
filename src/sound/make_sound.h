// SPDX-License-Identifier: MIT
#pragma once

// Turning a loaded trace into sound, and saving it: Set Up Sound's work and
// Save Sound's file. The window and the batch tool's wav command both use
// these, so they build and write the same bytes.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string_view>
#include <vector>

#include "common/progress.h"
#include "sound/sound_levels.h"
#include "sound/wave_header.h"
#include "trace/loaded_trace.h"

namespace tremorline::sound {

struct BuiltSound {
    SoundLevels levels;
    std::vector<std::int16_t> wave_data;
    WaveHeader header;
};

// Told the levels as soon as they are known, before the audio samples are
// built (which can still fail, for a trace that does not vary).
using LevelsKnown = std::function<void(const SoundLevels& levels)>;

// Builds the WAVE header for the trace's NPTS from `previous` (keeping its
// rate: the rate belongs to the play), then reads the samples afresh and
// builds the levels and the audio samples. A trace too long for a WAVE file
// is refused before its samples are read. Throws UserError when the trace
// gives no sound; the trace's samples are released on return. Each stage
// reports to `progress`; a stop asked for through it throws Cancelled.
BuiltSound BuildSound(const trace::LoadedTrace& trace, const WaveHeader& previous,
                      const LevelsKnown& levels_known = {}, const Progress& progress = Progress());

// Writes the sound's image to `folder` under the name of the trace file
// titled `trace_title`, with ".wav" for its last four characters, whole or
// not at all. Returns the path written. The writing reports to `progress`; a
// stop asked for through it throws Cancelled and leaves any old file as it
// was.
std::filesystem::path SaveSoundFile(const std::filesystem::path& folder,
                                    std::string_view trace_title, const WaveHeader& header,
                                    std::span<const std::int16_t> wave_data,
                                    const Progress& progress = Progress());

}  // namespace tremorline::sound
