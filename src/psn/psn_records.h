// SPDX-License-Identifier: MIT
#pragma once

// The PSN Type 4 event file: a fixed header, a variable header of blocks, the
// samples and a trailer. The records are held as plain values and laid out as
// bytes by offset (all numbers little-endian), never copied from memory as
// structs.
//
// File layout:
//   offset        length     content
//   0             154        PSNHeader
//   154           68         PSNEventBlock
//   222           6          PSNEndBlock
//   228           4*NPTS     samples, f32 in index order
//   228+4*NPTS    4          trailer, signed 32-bit 0

#include <array>
#include <cstddef>
#include <cstdint>

namespace tremorline::psn {

inline constexpr std::size_t kPSNTimeSize = 12;
inline constexpr std::size_t kPSNHeaderSize = 154;
inline constexpr std::size_t kPSNEventBlockSize = 68;
inline constexpr std::size_t kPSNEndBlockSize = 6;
inline constexpr std::size_t kTrailerSize = 4;
inline constexpr std::size_t kSampleOffset = kPSNHeaderSize + kPSNEventBlockSize + kPSNEndBlockSize;
static_assert(kSampleOffset == 228);

// The variable header: the event block and the end block.
inline constexpr std::int32_t kVarHeaderLength =
    static_cast<std::int32_t>(kPSNEventBlockSize + kPSNEndBlockSize);
static_assert(kVarHeaderLength == 74);

// Every block of the variable header starts with this byte.
inline constexpr std::uint8_t kCheckByte = 0x55;

// PSNTime, a date and time, 12 bytes: each field's offset, size and type.
namespace time_at {
inline constexpr std::size_t Year = 0;         // 2  i16
inline constexpr std::size_t Month = 2;        // 1  u8, 1-12
inline constexpr std::size_t Day = 3;          // 1  u8
inline constexpr std::size_t Hour = 4;         // 1  u8
inline constexpr std::size_t Minute = 5;       // 1  u8
inline constexpr std::size_t Second = 6;       // 1  u8; byte 7 is zero
inline constexpr std::size_t Nanoseconds = 8;  // 4  i32, after the second
static_assert(Nanoseconds + 4 == kPSNTimeSize);
}  // namespace time_at

struct PSNTime {
    std::int16_t Year = 0;
    std::uint8_t Month = 0;
    std::uint8_t Day = 0;
    std::uint8_t Hour = 0;
    std::uint8_t Minute = 0;
    std::uint8_t Second = 0;
    std::int32_t Nanoseconds = 0;

    friend bool operator==(const PSNTime&, const PSNTime&) = default;
};

// PSNHeader, the fixed header, 154 bytes: each field's offset, size and type.
namespace header_at {
inline constexpr std::size_t HeaderId = 0;             // 8  text "PSNTYPE4"
inline constexpr std::size_t VarHeaderLength = 8;      // 4  i32
inline constexpr std::size_t StartTime = 12;           // 12 time, the trace's reference time
inline constexpr std::size_t StartTimeOffset = 24;     // 8  f64, seconds to the first sample
inline constexpr std::size_t SamplesPerSecond = 32;    // 8  f64
inline constexpr std::size_t SampleCount = 40;         // 4  i32
inline constexpr std::size_t Flags = 44;               // 4  i32; 48-51 zero
inline constexpr std::size_t SampleType = 52;          // 1  u8 (2: f32)
inline constexpr std::size_t SampleCompression = 53;   // 1  u8
inline constexpr std::size_t ComponentIncidence = 54;  // 8  f64
inline constexpr std::size_t ComponentAzimuth = 62;    // 8  f64
inline constexpr std::size_t ComponentLetter = 70;     // 1  text
inline constexpr std::size_t SensorType = 71;          // 1  u8
inline constexpr std::size_t SensorLatitude = 72;      // 8  f64
inline constexpr std::size_t SensorLongitude = 80;     // 8  f64
inline constexpr std::size_t SensorElevation = 88;     // 8  f64
inline constexpr std::size_t SensorName = 96;          // 6  bytes
inline constexpr std::size_t ChannelId = 102;          // 4  bytes
inline constexpr std::size_t Network = 106;            // 6  bytes
inline constexpr std::size_t Sensitivity = 112;        // 8  f64; 120-153 zero
static_assert(Sensitivity + 8 + 34 == kPSNHeaderSize);
}  // namespace header_at

struct PSNHeader {
    std::array<char, 8> HeaderId{};
    std::int32_t VarHeaderLength = 0;
    PSNTime StartTime;
    double StartTimeOffset = 0;
    double SamplesPerSecond = 0;
    std::int32_t SampleCount = 0;
    std::int32_t Flags = 0;
    std::uint8_t SampleType = 0;
    std::uint8_t SampleCompression = 0;
    double ComponentIncidence = 0;
    double ComponentAzimuth = 0;
    char ComponentLetter = 0;
    std::uint8_t SensorType = 0;
    double SensorLatitude = 0;
    double SensorLongitude = 0;
    double SensorElevation = 0;
    std::array<std::uint8_t, 6> SensorName{};
    std::array<std::uint8_t, 4> ChannelId{};
    std::array<std::uint8_t, 6> Network{};
    double Sensitivity = 0;

    friend bool operator==(const PSNHeader&, const PSNHeader&) = default;
};

// PSNEventBlock, the first block of the variable header, 68 bytes: each
// field's offset, size and type.
namespace event_block_at {
inline constexpr std::size_t CheckByte = 0;        // 1  u8 0x55
inline constexpr std::size_t BlockType = 1;        // 1  u8 4
inline constexpr std::size_t BlockLength = 2;      // 4  i32, the bytes after this field (62)
inline constexpr std::size_t OriginTime = 6;       // 12 time, all zero without an event time
inline constexpr std::size_t EventLatitude = 18;   // 8  f64
inline constexpr std::size_t EventLongitude = 26;  // 8  f64
inline constexpr std::size_t EventDepth = 34;      // 8  f64; 42-51 zero
inline constexpr std::size_t Magnitude = 52;       // 2  i16, hundredths; 54-67 zero
static_assert(Magnitude + 2 + 14 == kPSNEventBlockSize);
}  // namespace event_block_at

struct PSNEventBlock {
    std::uint8_t CheckByte = 0;
    std::uint8_t BlockType = 0;
    std::int32_t BlockLength = 0;
    PSNTime OriginTime;
    double EventLatitude = 0;
    double EventLongitude = 0;
    double EventDepth = 0;
    std::int16_t Magnitude = 0;

    friend bool operator==(const PSNEventBlock&, const PSNEventBlock&) = default;
};

inline constexpr std::uint8_t kEventBlockType = 4;
inline constexpr std::int32_t kEventBlockLength = static_cast<std::int32_t>(kPSNEventBlockSize - 6);
static_assert(kEventBlockLength == 62);

// PSNEndBlock: a block head with CheckByte 0x55, BlockType 0, BlockLength 0.
using PSNEndBlock = std::array<std::uint8_t, kPSNEndBlockSize>;

// The three records the window keeps from its last Make PSN.
struct PSNRecords {
    PSNHeader Header;
    PSNEventBlock EventBlock;
    PSNEndBlock EndBlock{};

    friend bool operator==(const PSNRecords&, const PSNRecords&) = default;
};

using PSNTimeBytes = std::array<unsigned char, kPSNTimeSize>;
using PSNHeaderBytes = std::array<unsigned char, kPSNHeaderSize>;
using PSNEventBlockBytes = std::array<unsigned char, kPSNEventBlockSize>;

PSNTimeBytes ToBytes(const PSNTime& time);
PSNHeaderBytes ToBytes(const PSNHeader& header);
PSNEventBlockBytes ToBytes(const PSNEventBlock& block);

}  // namespace tremorline::psn
