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

}  // namespace tremorline::sound
