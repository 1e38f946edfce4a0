// SPDX-License-Identifier: MIT
#include "sound/sound_file.h"

#include <algorithm>
#include <bit>
#include <span>
#include <system_error>
#include <vector>

#include "common/atomic_file.h"
#include "common/sample_memory.h"
#include "common/user_error.h"
#include "sound/wave_data.h"
#include "sound/wave_header.h"
#include "sound/wave_image.h"

namespace tremorline::sound {
namespace {

// Samples per block: 4 MiB of samples and 2 MiB of audio, so that the reads
// and writes cost no more than those of the whole trace at once.
constexpr std::size_t kBlock = std::size_t{1} << 20;

void WriteAudio(AtomicFile& file, std::span<std::int16_t> audio) {
    if constexpr (std::endian::native != std::endian::little) {
        for (std::int16_t& sample : audio) {
            sample =
                static_cast<std::int16_t>(__builtin_bswap16(static_cast<std::uint16_t>(sample)));
        }
    }
    file.Write(std::as_bytes(std::span<const std::int16_t>(audio)));
}

}  // namespace

SoundLevels ComputeSoundLevels(const SampleSource& samples) {
    const std::size_t count = samples.Count();
    std::vector<float> block = AllocateSamples<float>(std::min(count, kBlock));
    SoundLevelsAccumulator levels;
    for (std::size_t first = 0; first < count; first += block.size()) {
        const std::span<float> part(block.data(), std::min(block.size(), count - first));
        samples.Read(first, part);
        levels.Add(part);
    }
    return levels.Levels();
}

SoundFileOutcome WriteTraceSoundFile(const trace::LoadedTrace& trace, std::int32_t rate,
                                     const std::filesystem::path& folder,
                                     const ReplaceSoundFile& replace) {
    SoundFileOutcome outcome;
    outcome.path = folder / WaveFileName(trace.title);
    // A trace too long for a WAVE file is refused before a sample is read.
    WaveHeader header;
    BuildWaveHeader(header, trace.info.NPTS);
    SetPlayRate(header, rate);
    trace::RequireSamples(trace);
    const bool holds_data = HoldsData(outcome.path);
    if (holds_data && !replace()) {
        return outcome;
    }
    const SampleSource& samples = *trace.samples;
    const SoundLevels levels = ComputeSoundLevels(samples);
    CheckedWaveScale(levels);  // a trace without sound touches no file

    const std::size_t count = samples.Count();
    if (count != static_cast<std::size_t>(trace.info.NPTS)) {
        throw UserError("The trace's samples do not match its sample count NPTS.");
    }
    std::vector<float> block = AllocateSamples<float>(std::min(count, kBlock));
    std::vector<std::int16_t> audio = AllocateSamples<std::int16_t>(block.size());
    AtomicFile file(outcome.path);
    file.Write(WaveHeaderBytes(header));
    for (std::size_t first = 0; first < count; first += block.size()) {
        const std::size_t size = std::min(block.size(), count - first);
        const std::span<float> part(block.data(), size);
        samples.Read(first, part);
        const std::span<std::int16_t> scaled(audio.data(), size);
        ScaleWaveData(part, levels, scaled);
        WriteAudio(file, scaled);
    }
    // Leave to replace was given for the file seen before; one that took the
    // name meanwhile is asked about again.
    if (!holds_data && !file.CommitIfFree()) {
        if (!replace()) {
            return outcome;
        }
        file.Commit();
    } else if (holds_data) {
        file.Commit();
    }
    outcome.written = true;
    return outcome;
}

}  // namespace tremorline::sound
