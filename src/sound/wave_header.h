// SPDX-License-Identifier: MIT
#pragma once

// The 44-byte header of a mono 16-bit PCM RIFF WAVE image, and the advice on
// the playback rate that goes with building it. The image is the header, then
// the audio samples, 16-bit signed, in sample order. All integers are
// little-endian; N is the number of samples. Every size field is a signed
// 32-bit value, which bounds N.

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>

namespace tremorline::sound {

inline constexpr std::size_t kWaveHeaderSize = 44;

// Each field's offset, with its size and value.
inline constexpr std::size_t kRiffIdOffset = 0;          // 4  "RIFF"
inline constexpr std::size_t kRiffSizeOffset = 4;        // 4  2 * N + 36, the image less 8
inline constexpr std::size_t kWaveIdOffset = 8;          // 4  "WAVE"
inline constexpr std::size_t kFmtIdOffset = 12;          // 4  "fmt "
inline constexpr std::size_t kFmtSizeOffset = 16;        // 4  16
inline constexpr std::size_t kAudioFormatOffset = 20;    // 2  1 (PCM)
inline constexpr std::size_t kNumChannelsOffset = 22;    // 2  1
inline constexpr std::size_t kSampleRateOffset = 24;     // 4  the play rate; 0 until the first play
inline constexpr std::size_t kByteRateOffset = 28;       // 4  2 * SampleRate
inline constexpr std::size_t kBlockAlignOffset = 32;     // 2  2
inline constexpr std::size_t kBitsPerSampleOffset = 34;  // 2  16
inline constexpr std::size_t kDataIdOffset = 36;         // 4  "data"
inline constexpr std::size_t kDataSizeOffset = 40;       // 4  2 * N
inline constexpr std::size_t kWaveDataOffset = kWaveHeaderSize;  // 2 * N, the audio samples
static_assert(kDataSizeOffset + 4 == kWaveHeaderSize);

inline constexpr std::int32_t kBytesPerWaveSample = 2;

// The most samples whose image, 2 * N + 44 bytes, a signed 32-bit size holds.
inline constexpr std::int32_t kMaxWavePoints =
    (std::numeric_limits<std::int32_t>::max() - static_cast<std::int32_t>(kWaveHeaderSize)) /
    kBytesPerWaveSample;

// The highest rate whose ByteRate (2 * rate) a signed 32-bit field holds.
inline constexpr std::int32_t kMaxPlayRate =
    std::numeric_limits<std::int32_t>::max() / kBytesPerWaveSample;

// A four-letter identifier as the 32-bit integer whose little-endian bytes are
// its letters in reading order.
constexpr std::int32_t FourCC(const char (&id)[5]) {
    std::uint32_t bits = 0;
    for (int i = 3; i >= 0; --i) {
        bits = (bits << 8) | static_cast<unsigned char>(id[i]);
    }
    return static_cast<std::int32_t>(bits);
}

// The header as the window holds it, fields in image order. All zero until
// the first set-up.
struct WaveHeader {
    std::int32_t RiffId = 0;
    std::int32_t RiffSize = 0;
    std::int32_t WaveId = 0;
    std::int32_t FmtId = 0;
    std::int32_t FmtSize = 0;
    std::int16_t AudioFormat = 0;
    std::int16_t NumChannels = 0;
    std::int32_t SampleRate = 0;
    std::int32_t ByteRate = 0;
    std::int16_t BlockAlign = 0;
    std::int16_t BitsPerSample = 0;
    std::int32_t DataId = 0;
    std::int32_t DataSize = 0;

    friend bool operator==(const WaveHeader&, const WaveHeader&) = default;
};

// Sets every field for `npts` samples except SampleRate and ByteRate, which
// belong to the play and keep their values. Throws UserError when npts is
// negative or above kMaxWavePoints, leaving the header as it was.
void BuildWaveHeader(WaveHeader& header, std::int32_t npts);

// SampleRate = rate, ByteRate = 2 * rate; rate is 1 to kMaxPlayRate.
void SetPlayRate(WaveHeader& header, std::int32_t rate);

// The 44 bytes of the header, little-endian, in image order.
std::array<unsigned char, kWaveHeaderSize> WaveHeaderBytes(const WaveHeader& header);

// The message that follows a set-up: the trace's own sample rate 1 / DELTA
// and the rate 1800 / DELTA that plays one real hour in 2 seconds, both
// rounded half to even; lines end with CR LF. When either figure cannot be
// worked out (DELTA 0 or not finite, or a figure outside the 32-bit range)
// the message says so instead.
std::string RateAdviceText(float delta);

// The rate the advice recommends, 1800 / DELTA, when it is one a sound can
// be played at (1 to kMaxPlayRate); nothing otherwise.
std::optional<std::int32_t> RecommendedPlayRate(float delta);

}  // namespace tremorline::sound
