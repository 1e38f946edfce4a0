// SPDX-License-Identifier: MIT
#include "sound/sound_levels.h"

#include <cmath>
#include <limits>

#include "common/rounding.h"
#include "common/user_error.h"
#include "trace/number_forms.h"

namespace tremorline::sound {

SoundLevels ComputeSoundLevels(std::span<const float> samples, const ProgressStage& stage) {
    if (samples.empty()) {
        throw UserError("The trace has no samples, so there is no sound to make of it.");
    }
    float hi = samples[0];
    float lo = samples[0];
    double sum = samples[0];
    for (std::size_t i = 1; i < samples.size(); ++i) {
        if (i % kProgressBlock == 0) {
            stage.Step(i, samples.size());
        }
        const float sample = samples[i];
        sum += sample;
        if (sample > hi) {
            hi = sample;
        }
        if (sample < lo) {
            lo = sample;
        }
    }
    stage.Step(samples.size(), samples.size());
    SoundLevels levels;
    levels.Bias = RoundToSingle(sum / static_cast<double>(samples.size()));
    levels.Max = RoundToSingle(static_cast<double>(hi) - levels.Bias);
    levels.Min = RoundToSingle(static_cast<double>(lo) - levels.Bias);
    levels.Peak = levels.Max > -levels.Min ? levels.Max : -levels.Min;
    return levels;
}

bool LevelsAreFinite(const SoundLevels& levels) {
    return std::isfinite(levels.Max) && std::isfinite(levels.Min) && std::isfinite(levels.Peak) &&
           std::isfinite(levels.Bias);
}

std::optional<float> WaveScale(const SoundLevels& levels) {
    if (!LevelsAreFinite(levels) || !(levels.Peak > 0)) {
        return std::nullopt;
    }
    const float scale = RoundToSingle(static_cast<double>(kWaveTarget) / levels.Peak);
    if (!std::isfinite(scale)) {
        return std::nullopt;
    }
    return scale;
}

float CheckedWaveScale(const SoundLevels& levels) {
    if (auto scale = WaveScale(levels)) {
        return *scale;
    }
    if (!LevelsAreFinite(levels)) {
        throw UserError(
            "The trace's samples include values that are not numbers or are infinite, or "
            "they span a range too wide to measure, so there is no sound to make of them.");
    }
    if (levels.Peak == 0) {
        throw UserError(
            "The trace does not vary (all its samples are equal, or it has only one), so "
            "there is no sound to make of it.");
    }
    throw UserError("The trace varies too little around its mean to be scaled to sound.");
}

std::string SoundLevelsText(const SoundLevels& levels) {
    return "Min Max Bias= " + trace::SignedNumberText(levels.Min) + " " +
           trace::SignedNumberText(levels.Max) + " " + trace::SignedNumberText(levels.Bias);
}

}  // namespace tremorline::sound
