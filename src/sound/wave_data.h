// SPDX-License-Identifier: MIT
#pragma once

// The audio samples: the trace centred on its mean and scaled so that its
// largest deviation becomes +-32760.

#include <cstdint>
#include <span>
#include <vector>

#include "common/progress_stage.h"
#include "sound/sound_levels.h"

namespace tremorline::sound {

// One 16-bit sample per trace sample: (sample - Bias) * scale in double
// precision, rounded half to even, with scale = 32760 / Peak in single
// precision. Throws UserError when the levels give no scale (see
// CheckedWaveScale). Each block of samples is a step of `stage`.
std::vector<std::int16_t> BuildWaveData(std::span<const float> samples, const SoundLevels& levels,
                                        const ProgressStage& stage = {});

// The same for a stretch of a trace scaled a block at a time: `out` (as
// long as `samples`) gets the audio samples of `samples`.
void ScaleWaveData(std::span<const float> samples, const SoundLevels& levels,
                   std::span<std::int16_t> out);

}  // namespace tremorline::sound
