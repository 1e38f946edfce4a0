// SPDX-License-Identifier: MIT
#pragma once

// The levels of a trace's samples: their mean, which becomes the silent
// centre line of the sound, and the extremes around it, which decide the
// scale to 16-bit audio.

#include <cstddef>
#include <optional>
#include <span>
#include <string>

#include "common/progress_stage.h"

namespace tremorline::sound {

// All single precision, as the levels are shown and used.
struct SoundLevels {
    float Max = 0;   // the largest sample less Bias
    float Min = 0;   // the smallest sample less Bias
    float Peak = 0;  // the larger of Max and -Min: the amplitude that becomes 32760
    float Bias = 0;  // the mean of all samples

    friend bool operator==(const SoundLevels&, const SoundLevels&) = default;
};

// The largest deviation from the mean is mapped to this, not to 32767.
inline constexpr float kWaveTarget = 32760.0f;

// Extremes in single precision, the sum in double precision. Throws
// UserError for no samples (there is no mean). Each block of samples is a
// step of `stage`.
SoundLevels ComputeSoundLevels(std::span<const float> samples, const ProgressStage& stage = {});

// The same levels gathered a stretch of samples at a time, for a trace read
// in blocks: Add every stretch in order, then Levels() equals
// ComputeSoundLevels of all of them, bit for bit.
class SoundLevelsAccumulator {
  public:
    void Add(std::span<const float> samples);
    // Throws UserError when no sample was added.
    SoundLevels Levels() const;

  private:
    std::size_t count_ = 0;
    float hi_ = 0;
    float lo_ = 0;
    double sum_ = 0;
};

bool LevelsAreFinite(const SoundLevels& levels);

// 32760 / Peak in single precision, or nothing when the levels give no
// usable scale: levels that are not finite, a flat trace or a single sample
// (Peak 0), or a Peak so small that the scale overflows.
std::optional<float> WaveScale(const SoundLevels& levels);

// The scale, or UserError saying in the user's terms why the trace has no
// sound.
float CheckedWaveScale(const SoundLevels& levels);

// "Min Max Bias= " then Min, Max and Bias in the signed number form, each
// after one space.
std::string SoundLevelsText(const SoundLevels& levels);

}  // namespace tremorline::sound
