// SPDX-License-Identifier: MIT
#include "sound/wave_image.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "common/atomic_file.h"
#include "common/byte_order.h"
#include "common/output_name.h"
#include "common/user_error.h"

namespace tremorline::sound {
namespace {

constexpr std::size_t kExtensionLength = 4;

bool IsUtf8Continuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0u) == 0x80u;
}

bool SizesDescribe(const WaveHeader& header, std::size_t sample_count) {
    if (sample_count > static_cast<std::size_t>(kMaxWavePoints)) {
        return false;
    }
    const auto data_size = static_cast<std::int32_t>(kBytesPerWaveSample * sample_count);
    return header.DataSize == data_size &&
           header.RiffSize == data_size + static_cast<std::int32_t>(kWaveHeaderSize) - 8;
}

// A header must never promise more (or less) audio than goes with it.
void RequireMatchingSizes(const WaveHeader& header, std::size_t sample_count) {
    if (!SizesDescribe(header, sample_count)) {
        throw UserError("The sound's header does not match its audio samples.");
    }
}

}  // namespace

std::vector<unsigned char> BuildPlayBuffer(const WaveHeader& header,
                                           std::span<const std::int16_t> wave_data) {
    RequireMatchingSizes(header, wave_data.size());
    std::vector<unsigned char> image(kWaveHeaderSize + kBytesPerWaveSample * wave_data.size());
    const auto header_bytes = WaveHeaderBytes(header);
    std::copy(header_bytes.begin(), header_bytes.end(), image.begin());
    if constexpr (std::endian::native == std::endian::little) {
        // Memory order is file order: one block copy.
        std::memcpy(image.data() + kWaveDataOffset, wave_data.data(),
                    kBytesPerWaveSample * wave_data.size());
    } else {
        std::size_t offset = kWaveDataOffset;
        for (std::int16_t sample : wave_data) {
            PutLEI16(image, offset, sample);
            offset += kBytesPerWaveSample;
        }
    }
    return image;
}

std::optional<PcmSound> ReadWaveImage(std::span<const unsigned char> image) {
    if (image.size() < kWaveHeaderSize) {
        return std::nullopt;
    }
    const auto at32 = [&](std::size_t offset) {
        return static_cast<std::int32_t>(LoadLE32(image.data() + offset));
    };
    const auto at16 = [&](std::size_t offset) {
        return static_cast<std::int32_t>(LoadLE16(image.data() + offset));
    };
    WaveHeader expected;
    BuildWaveHeader(expected, 0);
    const bool layout =
        at32(kRiffIdOffset) == expected.RiffId && at32(kWaveIdOffset) == expected.WaveId &&
        at32(kFmtIdOffset) == expected.FmtId && at32(kFmtSizeOffset) == expected.FmtSize &&
        at16(kAudioFormatOffset) == expected.AudioFormat &&
        at16(kNumChannelsOffset) == expected.NumChannels &&
        at16(kBlockAlignOffset) == expected.BlockAlign &&
        at16(kBitsPerSampleOffset) == expected.BitsPerSample &&
        at32(kDataIdOffset) == expected.DataId;
    const std::int32_t rate = at32(kSampleRateOffset);
    const std::int32_t data_size = at32(kDataSizeOffset);
    if (!layout || rate < 1 || data_size < 0 || data_size % kBytesPerWaveSample != 0 ||
        static_cast<std::size_t>(data_size) > image.size() - kWaveHeaderSize) {
        return std::nullopt;
    }
    return PcmSound{rate, kWaveDataOffset, static_cast<std::size_t>(data_size)};
}

std::string WaveFileName(std::string_view trace_file_title) {
    std::size_t end = trace_file_title.size();
    for (std::size_t dropped = 0; dropped < kExtensionLength; ++dropped) {
        if (end == 0) {
            throw UserError("The trace file's name \"" + std::string(trace_file_title) +
                            "\" is too short to name a sound file after it: it has fewer than "
                            "four characters.");
        }
        --end;
        while (end > 0 && IsUtf8Continuation(trace_file_title[end])) {
            --end;
        }
    }
    return SafeOutputName(std::string(trace_file_title.substr(0, end)) + ".wav");
}

void WriteWaveFile(const std::filesystem::path& path, const WaveHeader& header,
                   std::span<const std::int16_t> wave_data, const ProgressStage& stage) {
    if constexpr (std::endian::native != std::endian::little) {
        const std::vector<unsigned char> image = BuildPlayBuffer(header, wave_data);
        AtomicFile file(path);
        file.Write(image);
        stage.Step(wave_data.size(), wave_data.size());
        file.Commit();
        return;
    }
    // The same bytes as the play image, written straight from the audio
    // samples so that a long trace is not copied once more.
    RequireMatchingSizes(header, wave_data.size());
    const auto header_bytes = WaveHeaderBytes(header);
    AtomicFile file(path);
    file.Write(header_bytes);
    for (std::size_t first = 0; first < wave_data.size(); first += kProgressBlock) {
        stage.Step(first, wave_data.size());
        file.Write(std::as_bytes(
            wave_data.subspan(first, std::min(kProgressBlock, wave_data.size() - first))));
    }
    // The last look: a stop asked for now still leaves no file.
    stage.Step(wave_data.size(), wave_data.size());
    file.Commit();
}

}  // namespace tremorline::sound
