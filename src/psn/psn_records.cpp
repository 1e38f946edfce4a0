// SPDX-License-Identifier: MIT
#include "psn/psn_records.h"

#include <algorithm>
#include <bit>

#include "common/byte_order.h"

namespace tremorline::psn {
namespace {

template <typename Bytes>
void PutTime(Bytes& out, std::size_t offset, const PSNTime& time) {
    PSNTimeBytes bytes = ToBytes(time);
    std::copy(bytes.begin(), bytes.end(), out.begin() + static_cast<std::ptrdiff_t>(offset));
}

template <typename Bytes, typename Field>
void PutField(Bytes& out, std::size_t offset, const Field& field) {
    for (std::size_t i = 0; i < field.size(); ++i) {
        out[offset + i] = static_cast<unsigned char>(field[i]);
    }
}

}  // namespace

PSNTimeBytes ToBytes(const PSNTime& time) {
    PSNTimeBytes out{};
    PutLEI16(out, time_at::Year, time.Year);
    out[time_at::Month] = time.Month;
    out[time_at::Day] = time.Day;
    out[time_at::Hour] = time.Hour;
    out[time_at::Minute] = time.Minute;
    out[time_at::Second] = time.Second;
    PutLEI32(out, time_at::Nanoseconds, time.Nanoseconds);
    return out;
}

PSNHeaderBytes ToBytes(const PSNHeader& header) {
    PSNHeaderBytes out{};
    PutField(out, header_at::HeaderId, header.HeaderId);
    PutLEI32(out, header_at::VarHeaderLength, header.VarHeaderLength);
    PutTime(out, header_at::StartTime, header.StartTime);
    PutLEF64(out, header_at::StartTimeOffset, header.StartTimeOffset);
    PutLEF64(out, header_at::SamplesPerSecond, header.SamplesPerSecond);
    PutLEI32(out, header_at::SampleCount, header.SampleCount);
    PutLEI32(out, header_at::Flags, header.Flags);
    out[header_at::SampleType] = header.SampleType;
    out[header_at::SampleCompression] = header.SampleCompression;
    PutLEF64(out, header_at::ComponentIncidence, header.ComponentIncidence);
    PutLEF64(out, header_at::ComponentAzimuth, header.ComponentAzimuth);
    out[header_at::ComponentLetter] = static_cast<unsigned char>(header.ComponentLetter);
    out[header_at::SensorType] = header.SensorType;
    PutLEF64(out, header_at::SensorLatitude, header.SensorLatitude);
    PutLEF64(out, header_at::SensorLongitude, header.SensorLongitude);
    PutLEF64(out, header_at::SensorElevation, header.SensorElevation);
    PutField(out, header_at::SensorName, header.SensorName);
    PutField(out, header_at::ChannelId, header.ChannelId);
    PutField(out, header_at::Network, header.Network);
    PutLEF64(out, header_at::Sensitivity, header.Sensitivity);
    return out;
}

PSNEventBlockBytes ToBytes(const PSNEventBlock& block) {
    PSNEventBlockBytes out{};
    out[event_block_at::CheckByte] = block.CheckByte;
    out[event_block_at::BlockType] = block.BlockType;
    PutLEI32(out, event_block_at::BlockLength, block.BlockLength);
    PutTime(out, event_block_at::OriginTime, block.OriginTime);
    PutLEF64(out, event_block_at::EventLatitude, block.EventLatitude);
    PutLEF64(out, event_block_at::EventLongitude, block.EventLongitude);
    PutLEF64(out, event_block_at::EventDepth, block.EventDepth);
    PutLEI16(out, event_block_at::Magnitude, block.Magnitude);
    return out;
}

}  // namespace tremorline::psn
