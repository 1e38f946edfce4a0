// SPDX-License-Identifier: MIT
#pragma once

// A loaded trace seen through a filter: the same header, times and title,
// with the filtered samples (in single precision, as traces hold them) in
// memory. Sound, levels and drawings made from it are those of the filtered
// trace; the trace itself is never changed.

#include <optional>

#include "common/progress.h"
#include "dsp/filter_text.h"
#include "trace/loaded_trace.h"

namespace tremorline::dsp {

// Fixes `request` for the trace (its DELTA, and `play_rate` for the audible
// band). Throws UserError when the trace cannot be filtered: see FixFilter;
// also a trace that is not an evenly sampled time series.
TraceFilter FixFilterForTrace(const trace::LoadedTrace& trace, const FilterRequest& request,
                              std::optional<double> play_rate = std::nullopt);

// The trace with its samples filtered. Throws UserError when they cannot be
// read or are not all finite; Cancelled when `progress` is stopped.
trace::LoadedTrace FilteredTrace(const trace::LoadedTrace& trace, const TraceFilter& filter,
                                 const Progress& progress);

// The trace seen through `filter`, for reading from the first sample to the
// last, once or several times over. A one-pass filter's samples are worked
// out as they are read, so that a trace of any length is filtered in a few
// megabytes (reading further back than the last read filters again from the
// first sample; the header's DEPMIN, DEPMAX and DEPMEN stay the trace's). A
// zero-phase filter needs the whole trace at once: that is FilteredTrace.
// Throws UserError when the samples cannot be read or are not all finite.
trace::LoadedTrace FilteredForReading(const trace::LoadedTrace& trace, const TraceFilter& filter,
                                      const Progress& progress);

}  // namespace tremorline::dsp
