// SPDX-License-Identifier: MIT
#pragma once

// Tick marks of a time axis at round UTC clock times: every 5 s, every
// 10 min, every 6 h, and so on, counted from midnight, whatever second or
// millisecond the trace starts at.

#include <cstdint>
#include <string>
#include <vector>

#include "trace/trace_info.h"

namespace tremorline::trace {

struct ClockTick {
    double seconds = 0;  // after the reference time
    std::string time;    // "06:50", "06:50:05", "06:50:05.25": as fine as the step needs
    // "2010-02-27" on the first tick and on each tick whose date differs
    // from the one before; empty otherwise.
    std::string date;

    friend bool operator==(const ClockTick&, const ClockTick&) = default;
};

// The step between ticks, in seconds, for about `max_ticks` ticks over
// `span` seconds: 1, 2 or 5 times a power of ten below a second; 1, 2, 5,
// 10, 15 or 30 seconds or minutes; 1, 2, 3, 6 or 12 hours; then whole days
// of 1, 2 or 5 times a power of ten. Never below a microsecond.
double ClockTickStep(double span, double max_ticks);

// The ticks from `from` to `to` seconds after the reference time of `info`
// (RefTime plus NZMSEC), at multiples of ClockTickStep counted from
// midnight UTC (from 1970-01-01 for steps of days). None when the times
// fall outside the calendar or the span is not a positive finite number.
std::vector<ClockTick> ClockTicks(const TraceInfo& info, double from, double to, double max_ticks);

}  // namespace tremorline::trace
