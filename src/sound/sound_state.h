// SPDX-License-Identifier: MIT
#pragma once

// The sound state the main window owns: built by Set Up Sound, completed and
// handed to the player by Play Sound, written by Save Sound.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sound/sound_levels.h"
#include "sound/wave_header.h"
#include "trace/trace_info.h"

namespace tremorline::sound {

struct SoundState {
    sound::SoundLevels SoundLevels;
    std::vector<std::int16_t> WaveData;  // empty until the first set-up
    std::int32_t PlayRate = 0;           // the rate of the last play, 0 included
    sound::WaveHeader WaveHeader;
    // The title of the trace file WaveData was built from. The saved file is
    // named after it, not after whatever trace was opened since.
    std::string TraceFileTitle;
    // That trace's values: a playing sound tells its speed-up and trace time
    // from them.
    trace::TraceInfo TraceInfo;
    // The image last handed to the player. Shared, so that the player keeps
    // it alive for as long as it plays, whatever replaces it here.
    std::shared_ptr<const std::vector<unsigned char>> PlayBuffer;
};

}  // namespace tremorline::sound
