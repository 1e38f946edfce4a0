// SPDX-License-Identifier: MIT
#include "sound/sound_levels.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "common/rounding.h"
#include "common/user_error.h"
#include "trace/number_forms.h"

namespace tremorline::sound {

SoundLevels ComputeSoundLevels(std::span<const float> samples, const ProgressStage& stage) {
    SoundLevelsAccumulator levels;
    for (std::size_t first = 0; first < samples.size(); first += kProgressBlock) {
        stage.Step(first, samples.size());
        levels.Add(samples.subspan(first, std::min(kProgressBlock, samples.size() - first)));
    }
    stage.Step(samples.size(), samples.size());
    return levels.Levels();
}

void SoundLevelsAccumulator::Add(std::span<const float> samples) {
    if (samples.empty()) {
        return;
    }
    std::size_t i = 0;
    if (count_ == 0) {
        // The first sample starts the extremes, so that a NaN there stays in
        // them as it always has.
        hi_ = samples[0];
        lo_ = samples[0];
        sum_ = samples[0];
        i = 1;
    }
    float hi = hi_;
    float lo = lo_;
    double sum = sum_;
    for (; i < samples.size(); ++i) {
        const float sample = samples[i];
        sum += sample;
        if (sample > hi) {
            hi = sample;
        }
        if (sample < lo) {
            lo = sample;
        }
    }
    hi_ = hi;
    lo_ = lo;
    sum_ = sum;
    count_ += samples.size();
}

SoundLevels SoundLevelsAccumulator::Levels() const {
    if (count_ == 0) {
        throw UserError("The trace has no samples, so there is no sound to make of it.");
    }
    SoundLevels levels;
    levels.Bias = RoundToSingle(sum_ / static_cast<double>(count_));
    levels.Max = RoundToSingle(static_cast<double>(hi_) - levels.Bias);
    levels.Min = RoundToSingle(static_cast<double>(lo_) - levels.Bias);
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
