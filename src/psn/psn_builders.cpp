// SPDX-License-Identifier: MIT
#include "psn/psn_builders.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>

#include "common/rounding.h"
#include "common/user_error.h"
#include "sac/sac_header.h"
#include "trace/trace_times.h"

namespace tremorline::psn {
namespace {

constexpr std::string_view kHeaderId = "PSNTYPE4";
constexpr std::int32_t kFlags = 3;
constexpr std::uint8_t kSampleTypeFloat32 = 2;
constexpr double kUnknownAngle = -12345.0;
constexpr std::int32_t kNanosecondsPerMillisecond = 1'000'000;
constexpr std::int32_t kNanosecondsPerTenth = 100'000'000;

// PSN sensor types.
constexpr std::uint8_t kAccelerationSensor = 1;
constexpr std::uint8_t kVelocitySensor = 2;
constexpr std::uint8_t kDisplacementSensor = 3;

bool IsUndefined(float value) {
    return value == sac::kUndefined;
}

std::string DeltaText(float delta) {
    if (std::isnan(delta)) {
        return "not a number (NaN)";
    }
    if (std::isinf(delta)) {
        return delta > 0 ? "infinite" : "minus infinity";
    }
    if (IsUndefined(delta)) {
        return "-12345 (undefined)";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.7g", static_cast<double>(delta));
    return text;
}

template <typename Int>
Int NarrowTimePart(std::int32_t value, const char* what) {
    std::optional<Int> narrowed = NarrowWhole<Int>(static_cast<double>(value));
    if (!narrowed) {
        throw UserError(std::string("The ") + what + " (" + std::to_string(value) +
                        ") cannot be written to a PSN time.");
    }
    return *narrowed;
}

PSNTime ToPSNTime(const trace::DateTime& time, std::int32_t nanoseconds) {
    PSNTime out;
    out.Year = NarrowTimePart<std::int16_t>(time.year, "year");
    out.Month = NarrowTimePart<std::uint8_t>(time.month, "month");
    out.Day = NarrowTimePart<std::uint8_t>(time.day, "day");
    out.Hour = NarrowTimePart<std::uint8_t>(time.hour, "hour");
    out.Minute = NarrowTimePart<std::uint8_t>(time.minute, "minute");
    out.Second = NarrowTimePart<std::uint8_t>(time.second, "second");
    out.Nanoseconds = nanoseconds;
    return out;
}

// The reference time with NZMSEC as nanoseconds.
PSNTime StartTime(const trace::TraceInfo& info) {
    std::int64_t nanoseconds = std::int64_t{info.NZMSEC} * kNanosecondsPerMillisecond;
    std::optional<std::int32_t> narrowed =
        NarrowWhole<std::int32_t>(static_cast<double>(nanoseconds));
    if (!narrowed) {
        throw UserError("The reference milliseconds NZMSEC (" + std::to_string(info.NZMSEC) +
                        ") are outside -2147 to 2147, so the PSN start time cannot be written.");
    }
    return ToPSNTime(info.RefTime, *narrowed);
}

// The event origin kept to tenths of a second. The fraction times ten is
// taken in single precision, as the fraction is held, so 0.35 gives 3.5 and
// rounds to 4 tenths. Ten tenths make a whole second, carried into the time
// (which fails past the last day of 9999).
PSNTime OriginTime(const trace::TraceInfo& info) {
    const trace::DateTime& origin = info.EventTime;
    std::optional<std::int32_t> tenths =
        RoundToInt<std::int32_t>(static_cast<double>(info.EventFraction * 10.0f));
    if (!tenths || *tenths < 0 || *tenths > 10) {
        throw UserError(
            "The event's fraction of a second is not between 0 and 1, so the "
            "PSN origin time cannot be written.");
    }
    if (*tenths == 10) {
        return ToPSNTime(trace::AddSeconds(origin, 1), 0);
    }
    return ToPSNTime(origin, *tenths * kNanosecondsPerTenth);
}

// The component letter is the character of the untrimmed KCMPNM at the
// position equal to the trimmed length: the last letter of a left-justified
// name such as "BHZ     ".
char ComponentLetter(const std::string& kcmpnm) {
    std::size_t length = TrimSpaces(kcmpnm).size();
    if (length == 0) {
        throw UserError(
            "The component name KCMPNM is blank, so the PSN component letter cannot be formed.");
    }
    return kcmpnm[length - 1];
}

void SetComponentAngles(PSNHeader& header) {
    switch (header.ComponentLetter) {
        case 'Z':
            header.ComponentIncidence = 0;
            header.ComponentAzimuth = 0;
            break;
        case 'N':
            header.ComponentIncidence = 90;
            header.ComponentAzimuth = 0;
            break;
        case 'E':
            header.ComponentIncidence = 90;
            header.ComponentAzimuth = 90;
            break;
        default:
            header.ComponentIncidence = kUnknownAngle;
            header.ComponentAzimuth = kUnknownAngle;
    }
}

// SAC's IDEP codes for the recorded quantity: 1 and 8 acceleration, 3 and 6
// displacement; everything else (velocity 7 among them) counts as velocity.
std::uint8_t SensorType(std::int32_t idep) {
    switch (idep) {
        case 1:
        case 8:
            return kAccelerationSensor;
        case 3:
        case 6:
            return kDisplacementSensor;
        default:
            return kVelocitySensor;
    }
}

// Only a finite, positive interval gives a sample rate a reader can use: 0
// divides by zero, and NaN, infinity, -1 or the undefined -12345 would give
// a rate of NaN, 0 or below 0.
double SamplesPerSecond(float delta) {
    if (!std::isfinite(delta) || delta <= 0.0f) {
        throw UserError("The sample interval DELTA is " + DeltaText(delta) +
                        ", so the PSN sample rate cannot be formed.");
    }
    return 1.0 / static_cast<double>(delta);
}

// Only a large SCALE (counts per unit) is taken as the instrument's gain.
double Sensitivity(float scale) {
    return scale > 100'000'000.0f ? 100.0 / static_cast<double>(scale) : 0.0;
}

// Depths of 800 or more are taken as metres and written in kilometres.
double EventDepth(float evdp) {
    if (IsUndefined(evdp)) {
        return 0.0;
    }
    if (evdp >= 800.0f) {
        return static_cast<double>(evdp) / 1000.0;
    }
    return static_cast<double>(evdp);
}

// Hundredths of the magnitude; an unset magnitude is written as 1.00. The
// product is taken in double precision, where it is exact, so it is rounded
// once: 4.565f (4.56500005...) gives 457, not the 456 of a float product.
std::int16_t Magnitude(float mag) {
    if (IsUndefined(mag)) {
        return 100;
    }
    std::optional<std::int16_t> hundredths =
        RoundToInt<std::int16_t>(static_cast<double>(mag) * 100.0);
    if (!hundredths) {
        throw UserError(
            "The magnitude MAG is outside -327.68 to 327.67, so it cannot be "
            "written to the PSN event block.");
    }
    return *hundredths;
}

// Where the first sample lies after the start time: B, when the trace sets
// it. An undefined (-12345) or unusable B gives 0, as if the trace began at
// its reference time, rather than moving the samples by hours.
double StartTimeOffset(float begin) {
    if (begin == sac::kUndefined || !std::isfinite(begin)) {
        return 0.0;
    }
    return static_cast<double>(begin);
}

}  // namespace

std::string_view TrimSpaces(std::string_view text) {
    std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    std::size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

void TextToBytes(std::string_view text, std::span<std::uint8_t> bytes) {
    std::fill(bytes.begin(), bytes.end(), std::uint8_t{0});
    for (std::size_t i = 0; i < text.size() && i < bytes.size(); ++i) {
        auto byte = static_cast<std::uint8_t>(text[i]);
        if (byte == 0 || byte == ' ') {
            return;
        }
        bytes[i] = byte;
    }
}

PSNHeader BuildPSNHeader(const trace::TraceInfo& info) {
    PSNHeader header;
    std::copy(kHeaderId.begin(), kHeaderId.end(), header.HeaderId.begin());
    header.VarHeaderLength = kVarHeaderLength;
    header.StartTime = StartTime(info);
    header.StartTimeOffset = StartTimeOffset(info.B);
    header.SamplesPerSecond = SamplesPerSecond(info.DELTA);
    header.SampleCount = info.NPTS;
    header.Flags = kFlags;
    header.SampleType = kSampleTypeFloat32;
    header.SampleCompression = 0;
    header.ComponentLetter = ComponentLetter(info.KCMPNM);
    SetComponentAngles(header);
    header.SensorType = SensorType(info.IDEP);
    header.SensorLatitude = static_cast<double>(info.STLA);
    header.SensorLongitude = static_cast<double>(info.STLO);
    header.SensorElevation = static_cast<double>(info.STEL);
    TextToBytes(TrimSpaces(info.KSTNM), header.SensorName);
    TextToBytes(TrimSpaces(info.KCMPNM), header.ChannelId);
    TextToBytes(info.KNETWK, header.Network);
    header.Sensitivity = Sensitivity(info.SCALE);
    return header;
}

PSNEventBlock BuildPSNEventBlock(const trace::TraceInfo& info) {
    PSNEventBlock block;
    block.CheckByte = kCheckByte;
    block.BlockType = kEventBlockType;
    block.BlockLength = kEventBlockLength;
    if (!info.NoEventTime) {
        block.OriginTime = OriginTime(info);
    }
    block.EventLatitude = static_cast<double>(info.EVLA);
    block.EventLongitude = static_cast<double>(info.EVLO);
    block.EventDepth = EventDepth(info.EVDP);
    block.Magnitude = Magnitude(info.MAG);
    return block;
}

PSNEndBlock BuildPSNEndBlock() {
    PSNEndBlock block{};
    block[0] = kCheckByte;
    return block;
}

PSNRecords BuildPSNRecords(const trace::TraceInfo& info) {
    return PSNRecords{BuildPSNHeader(info), BuildPSNEventBlock(info), BuildPSNEndBlock()};
}

}  // namespace tremorline::psn
