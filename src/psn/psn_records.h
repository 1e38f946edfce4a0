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

// PSNTime, a date and time:
//   offset  size  type  field
//   0       2     i16   Year
//   2       1     u8    Month, 1-12
//   3       1     u8    Day
//   4       1     u8    Hour
//   5       1     u8    Minute
//   6       1     u8    Second
//   7       1           zero
//   8       4     i32   Nanoseconds after the second
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

// PSNHeader, the fixed header:
//   offset  size  type  field
//   0       8     text  HeaderId "PSNTYPE4"
//   8       4     i32   VarHeaderLength
//   12      12    time  StartTime, the trace's reference time
//   24      8     f64   StartTimeOffset, seconds from StartTime to the first sample
//   32      8     f64   SamplesPerSecond
//   40      4     i32   SampleCount
//   44      4     i32   Flags
//   48      4           zero
//   52      1     u8    SampleType (2: f32)
//   53      1     u8    SampleCompression
//   54      8     f64   ComponentIncidence
//   62      8     f64   ComponentAzimuth
//   70      1     text  ComponentLetter
//   71      1     u8    SensorType
//   72      8     f64   SensorLatitude
//   80      8     f64   SensorLongitude
//   88      8     f64   SensorElevation
//   96      6     bytes SensorName
//   102     4     bytes ChannelId
//   106     6     bytes Network
//   112     8     f64   Sensitivity
//   120     34          zero
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

// PSNEventBlock, the first block of the variable header:
//   offset  size  type  field
//   0       1     u8    CheckByte 0x55
//   1       1     u8    BlockType 4
//   2       4     i32   BlockLength, the bytes after this field (62)
//   6       12    time  OriginTime, all zero without an event time
//   18      8     f64   EventLatitude
//   26      8     f64   EventLongitude
//   34      8     f64   EventDepth
//   42      10          zero
//   52      2     i16   Magnitude, hundredths
//   54      14          zero
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
