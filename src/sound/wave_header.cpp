// SPDX-License-Identifier: MIT
#include "sound/wave_header.h"

#include <cmath>
#include <optional>

#include "common/byte_order.h"
#include "common/rounding.h"
#include "common/user_error.h"
#include "trace/number_forms.h"

namespace tremorline::sound {
namespace {

// Real time runs 1800 times faster at the advised rate: one hour in 2 s.
constexpr float kSpeedUp = 1800.0f;

std::optional<std::int32_t> RateFor(float numerator, float delta) {
    if (!std::isfinite(delta)) {
        return std::nullopt;
    }
    return RoundToInt<std::int32_t>(static_cast<double>(numerator) / static_cast<double>(delta));
}

}  // namespace

void BuildWaveHeader(WaveHeader& header, std::int32_t npts) {
    if (npts < 0) {
        // Worded as reading the samples words it, whichever comes first.
        throw UserError("The trace has no samples (NPTS is " + std::to_string(npts) + ").");
    }
    if (npts > kMaxWavePoints) {
        throw UserError(
            "The trace has " + trace::IntegerText(npts) + " samples; a WAVE file holds at most " +
            trace::IntegerText(kMaxWavePoints) + ", so it cannot be turned into sound.");
    }
    const std::int32_t data_size = kBytesPerWaveSample * npts;
    header.RiffId = FourCC("RIFF");
    header.RiffSize = data_size + static_cast<std::int32_t>(kWaveHeaderSize) - 8;
    header.WaveId = FourCC("WAVE");
    header.FmtId = FourCC("fmt ");
    header.FmtSize = 16;
    header.AudioFormat = 1;
    header.NumChannels = 1;
    header.BlockAlign = kBytesPerWaveSample;
    header.BitsPerSample = 16;
    header.DataId = FourCC("data");
    header.DataSize = data_size;
}

void SetPlayRate(WaveHeader& header, std::int32_t rate) {
    if (rate < 1 || rate > kMaxPlayRate) {
        throw UserError("The sample rate " + trace::IntegerText(rate) +
                        " cannot be written into a WAVE file.");
    }
    header.SampleRate = rate;
    header.ByteRate = kBytesPerWaveSample * rate;
}

std::array<unsigned char, kWaveHeaderSize> WaveHeaderBytes(const WaveHeader& header) {
    std::array<unsigned char, kWaveHeaderSize> bytes{};
    PutLEI32(bytes, kRiffIdOffset, header.RiffId);
    PutLEI32(bytes, kRiffSizeOffset, header.RiffSize);
    PutLEI32(bytes, kWaveIdOffset, header.WaveId);
    PutLEI32(bytes, kFmtIdOffset, header.FmtId);
    PutLEI32(bytes, kFmtSizeOffset, header.FmtSize);
    PutLEI16(bytes, kAudioFormatOffset, header.AudioFormat);
    PutLEI16(bytes, kNumChannelsOffset, header.NumChannels);
    PutLEI32(bytes, kSampleRateOffset, header.SampleRate);
    PutLEI32(bytes, kByteRateOffset, header.ByteRate);
    PutLEI16(bytes, kBlockAlignOffset, header.BlockAlign);
    PutLEI16(bytes, kBitsPerSampleOffset, header.BitsPerSample);
    PutLEI32(bytes, kDataIdOffset, header.DataId);
    PutLEI32(bytes, kDataSizeOffset, header.DataSize);
    return bytes;
}

std::string RateAdviceText(float delta) {
    const auto input_rate = RateFor(1.0f, delta);
    const auto wave_rate = RateFor(kSpeedUp, delta);
    const std::string choose =
        "Select and enter one of the permitted rates listed in the drop-down list.";
    if (!input_rate || !wave_rate) {
        return "The input sample rate cannot be worked out from the trace (its sample "
               "interval DELTA is " +
               trace::FloatText(delta) + "), so no playback rate can be recommended.\r\n" + choose;
    }
    return "Input sample rate is " + trace::IntegerText(*input_rate) +
           ". The recommended playback rate is 2 seconds per real hour, \r\n"
           "making the desired WAVE sample rate around " +
           trace::IntegerText(*wave_rate) + ".\r\n" + choose;
}

std::optional<std::int32_t> RecommendedPlayRate(float delta) {
    const auto rate = RateFor(kSpeedUp, delta);
    if (!rate || *rate < 1 || *rate > kMaxPlayRate) {
        return std::nullopt;
    }
    return rate;
}

}  // namespace tremorline::sound
