// SPDX-License-Identifier: MIT
#include "sound/make_sound.h"

#include <algorithm>
#include <cstdint>

#include "sound/wave_data.h"
#include "sound/wave_image.h"

namespace tremorline::sound {

BuiltSound BuildSound(const trace::LoadedTrace& trace, const WaveHeader& previous,
                      const LevelsKnown& levels_known, const Progress& progress) {
    BuiltSound built;
    built.header = previous;
    BuildWaveHeader(built.header, trace.info.NPTS);
    // Three passes over the samples: reading, the levels, the scaling.
    const auto units = static_cast<std::uint64_t>(std::max(trace.info.NPTS, 0));
    const std::vector<float> samples =
        trace::ReadSamples(trace, ProgressStage(progress, 0, 3 * units));
    built.levels = ComputeSoundLevels(samples, ProgressStage(progress, units, 3 * units));
    if (levels_known) {
        levels_known(built.levels);
    }
    built.wave_data =
        BuildWaveData(samples, built.levels, ProgressStage(progress, 2 * units, 3 * units));
    return built;
}

std::filesystem::path SaveSoundFile(const std::filesystem::path& folder,
                                    std::string_view trace_title, const WaveHeader& header,
                                    std::span<const std::int16_t> wave_data,
                                    const Progress& progress) {
    const std::filesystem::path path = folder / WaveFileName(trace_title);
    WriteWaveFile(path, header, wave_data, ProgressStage(progress, 0, 0));
    return path;
}

}  // namespace tremorline::sound
