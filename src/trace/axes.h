// SPDX-License-Identifier: MIT
#pragma once

// The numbers and texts of a trace drawing's axes: where each sample stands
// in time, the steps between tick marks, the UTC time of a moment of the
// trace, the visible span, and the amplitude's unit.

#include <cstdint>
#include <optional>
#include <string>

#include "trace/trace_info.h"

namespace tremorline::trace {

// Sample positions to seconds after the reference time: sample 0 is at B,
// and each sample DELTA later. A DELTA that is not a positive finite number
// cannot place anything in time; the scale then counts samples instead
// (`in_seconds` false, begin 0, one unit per sample). An undefined or
// non-finite B counts as 0.
struct TimeScale {
    double begin = 0;
    double delta = 1;
    bool in_seconds = false;

    double SecondsAt(double position) const { return begin + position * delta; }
    double PositionAt(double seconds) const { return (seconds - begin) / delta; }
};

TimeScale TraceTimeScale(float b, float delta);

// A step of 1, 2 or 5 times a power of ten such that `span` holds at most
// about `max_ticks` steps. A span that is not a positive finite number gets 1.
double NiceTickStep(double span, double max_ticks);

// A tick value written with just the decimals `step` needs: 12.5 with step
// 0.5 is "12.5", 40 with step 20 is "40", 0.30000001 with step 0.1 is "0.3".
std::string TickText(double value, double step);

// Seconds, or samples, for the reader: three significant digits at most
// after the point, none for 100 and above, no trailing zeros ("12.5",
// "4200", "0.0123").
std::string SpanNumberText(double value);

// "12.5 s of 4200 s", or "125 samples of 42000 samples" when the trace has no
// usable sample interval.
std::string SpanText(double visible, double total, bool in_seconds);

// The UTC date and time `seconds` after the reference time (RefTime plus
// NZMSEC), to the millisecond: "2005-02-01 03:04:05.250". Nothing when the
// moment falls outside the calendar's years 100 to 9999, as it does for a
// TraceInfo whose times were never computed.
std::optional<std::string> UtcTimeText(const TraceInfo& info, double seconds);

// The same with `decimals` (0 to 6) digits of the second: 6 gives
// "2005-02-01 03:04:05.250000".
std::optional<std::string> UtcTimeText(const TraceInfo& info, double seconds, int decimals);

// The unit IDEP names: "nm", "nm/s", "nm/s²", "volts", otherwise "counts".
std::string AmplitudeUnit(std::int32_t idep);

// The amplitude axis's label: the unit IDEP names (displacement in nm,
// velocity in nm/s, acceleration in nm/s², volts), otherwise counts;
// followed by DEPMIN and DEPMAX where they are defined:
// "nm/s  DEPMIN -12.5  DEPMAX 40".
std::string AmplitudeLabel(std::int32_t idep, float depmin, float depmax);

}  // namespace tremorline::trace
