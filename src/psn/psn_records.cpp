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
    PutLEI16(out, 0, time.Year);
    out[2] = time.Month;
    out[3] = time.Day;
    out[4] = time.Hour;
    out[5] = time.Minute;
    out[6] = time.Second;
    PutLEI32(out, 8, time.Nanoseconds);
    return out;
}

PSNHeaderBytes ToBytes(const PSNHeader& header) {
    PSNHeaderBytes out{};
    PutField(out, 0, header.HeaderId);
    PutLEI32(out, 8, header.VarHeaderLength);
    PutTime(out, 12, header.StartTime);
    PutLEF64(out, 24, header.StartTimeOffset);
    PutLEF64(out, 32, header.SamplesPerSecond);
    PutLEI32(out, 40, header.SampleCount);
    PutLEI32(out, 44, header.Flags);
    out[52] = header.SampleType;
    out[53] = header.SampleCompression;
    PutLEF64(out, 54, header.ComponentIncidence);
    PutLEF64(out, 62, header.ComponentAzimuth);
    out[70] = static_cast<unsigned char>(header.ComponentLetter);
    out[71] = header.SensorType;
    PutLEF64(out, 72, header.SensorLatitude);
    PutLEF64(out, 80, header.SensorLongitude);
    PutLEF64(out, 88, header.SensorElevation);
    PutField(out, 96, header.SensorName);
    PutField(out, 102, header.ChannelId);
    PutField(out, 106, header.Network);
    PutLEF64(out, 112, header.Sensitivity);
    return out;
}

PSNEventBlockBytes ToBytes(const PSNEventBlock& block) {
    PSNEventBlockBytes out{};
    out[0] = block.CheckByte;
    out[1] = block.BlockType;
    PutLEI32(out, 2, block.BlockLength);
    PutTime(out, 6, block.OriginTime);
    PutLEF64(out, 18, block.EventLatitude);
    PutLEF64(out, 26, block.EventLongitude);
    PutLEF64(out, 34, block.EventDepth);
    PutLEI16(out, 52, block.Magnitude);
    return out;
}

}  // namespace tremorline::psn
