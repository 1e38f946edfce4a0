// SPDX-License-Identifier: MIT
#include "sound/wave_data.h"

#include <algorithm>

#include "common/rounding.h"
#include "common/sample_memory.h"
#include "common/user_error.h"

namespace tremorline::sound {

std::vector<std::int16_t> BuildWaveData(std::span<const float> samples, const SoundLevels& levels,
                                        const ProgressStage& stage) {
    CheckedWaveScale(levels);  // refuses a trace without sound before the allocation
    std::vector<std::int16_t> wave_data = AllocateSamples<std::int16_t>(samples.size());
    for (std::size_t first = 0; first < samples.size(); first += kProgressBlock) {
        stage.Step(first, samples.size());
        const std::size_t count = std::min(kProgressBlock, samples.size() - first);
        ScaleWaveData(samples.subspan(first, count), levels,
                      std::span<std::int16_t>(wave_data).subspan(first, count));
    }
    stage.Step(samples.size(), samples.size());
    return wave_data;
}

void ScaleWaveData(std::span<const float> samples, const SoundLevels& levels,
                   std::span<std::int16_t> out) {
    const double scale = CheckedWaveScale(levels);
    const double bias = levels.Bias;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        // Within +-32760 by construction when the levels came from these
        // samples; levels from elsewhere are caught here, never cast blindly.
        auto value = RoundToInt<std::int16_t>((samples[i] - bias) * scale);
        if (!value) {
            throw UserError("A sample lies outside the sound levels of its trace.");
        }
        out[i] = *value;
    }
}

}  // namespace tremorline::sound
