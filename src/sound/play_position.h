// SPDX-License-Identifier: MIT
#pragma once

// Where a playing sound has got, in the listener's terms: sound time heard and
// total, how much faster than real time the trace plays, and the time of day
// in the trace being heard.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "trace/trace_info.h"

namespace tremorline::sound {

// What a play needs to say where it is, taken when it starts (the trace it
// came from may be replaced while it plays).
struct PlayedSound {
    std::size_t sample_count = 0;
    std::int32_t play_rate = 0;
    float DELTA = 0;  // the trace's sample interval, seconds
    // UTC time of day of the first sample, in seconds after midnight; none
    // when the trace does not say.
    std::optional<double> first_sample_time;
};

// The trace's first sample lies B seconds after its reference time.
PlayedSound DescribePlayedSound(const trace::TraceInfo& info, std::size_t sample_count,
                                std::int32_t play_rate);

// "0:12 / 2:20  ×1800  06:56:00 UTC" (UTF-8) for the sample `heard`: sound
// time heard and total (m:ss, or h:mm:ss from an hour on), the speed-up
// (play rate × DELTA), and the trace's time of day at that sample. The parts
// the trace cannot give (no DELTA, no time) are left out.
std::string PlayPositionText(const PlayedSound& sound, std::size_t heard);

// The speed-up factor as shown: whole numbers from 100 up, otherwise three
// significant digits without trailing zeros ("1800", "12.3", "0.5").
std::string SpeedUpText(double factor);

}  // namespace tremorline::sound
