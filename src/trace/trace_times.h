// SPDX-License-Identifier: MIT
#pragma once

// Filling TraceInfo at each load: the copied header values, then the times.

#include <cstdint>

#include "sac/sac_header.h"
#include "trace/trace_info.h"

namespace tremorline::trace {

// Copies the 25 interpreted header fields into `info`. Never fails.
void CopyTraceInfo(const sac::SacHeader& header, TraceInfo& info);

// `start` moved by `seconds` (either sign), carried through minutes, hours,
// days, months and years of the Gregorian calendar. Throws UserError when the
// result falls outside the years 100 to 9999.
DateTime AddSeconds(const DateTime& start, std::int64_t seconds);

// The whole seconds from `from` to `to` (negative when `to` is earlier), for
// any two valid Gregorian date-times.
std::int64_t SecondsBetween(const DateTime& from, const DateTime& to);

// Whether `time` names a real moment: a year from 100 to 9999, an existing
// day of its month, and a time of day from 00:00:00 to 23:59:59.
bool IsValidDateTime(const DateTime& time);

// Computes the reference and event times and their texts from the copied
// fields. Throws UserError, with a message for the user, when the reference
// date or time of day is invalid, NZJDAY lies outside -1364..1366, O is not
// a finite number of seconds that fits 64 bits, or a date falls outside the
// years 100 to 9999. Fields set before the failing step keep their new
// values, later ones their old ones. With O undefined (-12345) the event
// fields keep their old values and NoEventTime is set.
void ComputeTraceTimes(TraceInfo& info);

}  // namespace tremorline::trace
