// SPDX-License-Identifier: MIT
#include "sound/make_sound.h"

#include "sound/wave_data.h"
#include "sound/wave_image.h"

namespace tremorline::sound {

BuiltSound BuildSound(const trace::LoadedTrace& trace, const WaveHeader& previous,
                      const LevelsKnown& levels_known) {
    BuiltSound built;
    built.header = previous;
    BuildWaveHeader(built.header, trace.info.NPTS);
    const std::vector<float> samples = trace::ReadSamples(trace);
    built.levels = ComputeSoundLevels(samples);
    if (levels_known) {
        levels_known(built.levels);
    }
    built.wave_data = BuildWaveData(samples, built.levels);
    return built;
}

std::filesystem::path SaveSoundFile(const std::filesystem::path& folder,
                                    std::string_view trace_title, const WaveHeader& header,
                                    std::span<const std::int16_t> wave_data) {
    const std::filesystem::path path = folder / WaveFileName(trace_title);
    WriteWaveFile(path, header, wave_data);
    return path;
}

}  // namespace tremorline::sound
