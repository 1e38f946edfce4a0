// SPDX-License-Identifier: MIT
#pragma once

// A trace's WAVE file written straight from its samples, for batch work on
// traces of any length: a first pass reads the samples for their levels, a
// second scales them and writes the file, a block at a time, so that the
// work takes a few megabytes whatever the trace's length. The bytes are
// those Save Sound writes after Set Up Sound and a play at the same rate.

#include <cstdint>
#include <filesystem>
#include <functional>

#include "common/sample_source.h"
#include "sound/sound_levels.h"
#include "trace/loaded_trace.h"

namespace tremorline::sound {

// The levels of every sample of `samples`, read a block at a time.
SoundLevels ComputeSoundLevels(const SampleSource& samples);

struct SoundFileOutcome {
    std::filesystem::path path;  // the folder joined with the sound file's name
    bool written = false;        // false when a file holding data was kept
};

// Asked when the target already holds data; true replaces it.
using ReplaceSoundFile = std::function<bool()>;

// Writes the WAVE file of `trace` played at `rate` into `folder`, named after
// the trace's title as WaveFileName names it. A target that holds data is
// replaced only when `replace` agrees, also when it appears while the new
// file is written (another run's). Throws UserError when the trace gives no
// sound or the file cannot be written, leaving any older file as it was.
SoundFileOutcome WriteTraceSoundFile(const trace::LoadedTrace& trace, std::int32_t rate,
                                     const std::filesystem::path& folder,
                                     const ReplaceSoundFile& replace);

}  // namespace tremorline::sound
