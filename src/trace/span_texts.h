// SPDX-License-Identifier: MIT
#pragma once

// What the waveform window says of a span and of the sample under the
// pointer, and the names it proposes for a span's files.

#include <cstddef>
#include <string>
#include <string_view>

#include "trace/loaded_trace.h"
#include "trace/span.h"

namespace tremorline::trace {

// Decimals of a second that tell neighbouring samples apart: 3 (the
// millisecond) down to a DELTA of a millisecond, 6 below.
int TimeDecimalsFor(float delta);

// "2005-02-01 03:04:06.750 to 03:04:07.500 UTC, 0.75 s, 76 samples": the
// times of the span's first and last samples (the end's date only where it
// differs), the time between them and the count. Without usable times, the
// sample numbers: "samples 150 to 225, 76 samples".
std::string SelectionText(const LoadedTrace& trace, SampleSpan span);

// "2005-02-01 03:04:06.123 UTC  1.873 s  sample 187  12.5 nm/s": the UTC
// time and seconds after the reference time of sample `sample`, its number
// (counted from 0) and its value with the unit IDEP names.
std::string PointerText(const LoadedTrace& trace, std::size_t sample, float value);

// The name a span's file is offered under: the trace file's name less its
// last four characters, then the UTC times of the span's first and last
// samples, then `extension` (".wav"):
// "event_20050201T030406.750-20050201T030407.500.wav". Sample numbers
// stand in for the times where there are none.
std::string SpanFileName(const LoadedTrace& trace, SampleSpan span, std::string_view extension);

}  // namespace tremorline::trace
