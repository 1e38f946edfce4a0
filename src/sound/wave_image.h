// SPDX-License-Identifier: MIT
#pragma once

// The complete WAVE image: the header's 44 bytes, then the audio samples as
// 16-bit little-endian values. The same bytes are played and saved.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/progress_stage.h"
#include "sound/wave_header.h"

namespace tremorline::sound {

// A new image of 44 + 2 * wave_data.size() bytes. Throws UserError when the
// header's sizes do not describe exactly these samples, so an image never
// promises more data than it holds.
std::vector<unsigned char> BuildPlayBuffer(const WaveHeader& header,
                                           std::span<const std::int16_t> wave_data);

// Where the audio of a playable image lies and at what rate it plays.
struct PcmSound {
    std::int32_t rate = 0;
    std::size_t data_offset = 0;
    std::size_t data_size = 0;  // bytes
};

// Reads an image of the layout above (mono, 16-bit PCM, a positive rate,
// no more data promised than present); nothing for any other bytes, which a
// player then does not play.
std::optional<PcmSound> ReadWaveImage(std::span<const unsigned char> image);

// The name of the sound file of a trace file: its name less the last four
// characters (an extension such as ".SAC", whatever they are), then ".wav".
// A name of exactly four characters gives ".wav"; a shorter one cannot lose
// four, and is refused with UserError saying so. Characters are counted in
// UTF-8, so a name is never cut inside one.
std::string WaveFileName(std::string_view trace_file_title);

// Writes the image of `header` and `wave_data` to `path` whole or not at all:
// a failure leaves any earlier file of that name as it was. Throws UserError
// saying what failed. Each block of samples written is a step of `stage`; a
// stop asked for before the file is complete leaves no file behind.
void WriteWaveFile(const std::filesystem::path& path, const WaveHeader& header,
                   std::span<const std::int16_t> wave_data, const ProgressStage& stage = {});

}  // namespace tremorline::sound
