// SPDX-License-Identifier: MIT
#include "sound/wave_data.h"

#include "common/rounding.h"
#include "common/sample_memory.h"
#include "common/user_error.h"

namespace tremorline::sound {

std::vector<std::int16_t> BuildWaveData(std::span<const float> samples, const SoundLevels& levels,
                                        const ProgressStage& stage) {
    const double scale = CheckedWaveScale(levels);
    const double bias = levels.Bias;
    std::vector<std::int16_t> wave_data = AllocateSamples<std::int16_t>(samples.size());
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (i % kProgressBlock == 0) {
            stage.Step(i, samples.size());
        }
        // Within +-32760 by construction when the levels came from these
        // samples; levels from elsewhere are caught here, never cast blindly.
        auto value = RoundToInt<std::int16_t>((samples[i] - bias) * scale);
        if (!value) {
            throw UserError("A sample lies outside the sound levels of its trace.");
        }
        wave_data[i] = *value;
    }
    stage.Step(samples.size(), samples.size());
    return wave_data;
}

}  // namespace tremorline::sound
