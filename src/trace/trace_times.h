#pragma once

// Filling TraceInfo at each load: the copied header values, then the times.

#include "sac/sac_header.h"
#include "trace/trace_info.h"

namespace tremorline::trace {

// Copies the 25 interpreted header fields into `info`. Never fails.
void CopyTraceInfo(const sac::SacHeader& header, TraceInfo& info);

// Computes the reference and event times and their texts from the copied
// fields. Throws UserError when the reference date or time is invalid or a
// date falls outside the years 100 to 9999; fields set before the failing
// step keep their new values, later ones their old ones.
void ComputeTraceTimes(TraceInfo& info);

}  // namespace tremorline::trace
