// SPDX-License-Identifier: MIT
#pragma once

// Filtering a trace's samples: the mean is taken off (in double precision),
// then the cascade runs from a zero state; for zero phase it runs again over
// the reversed result. Samples that are not finite numbers are refused, since
// one of them would spread through everything after it.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "common/progress.h"
#include "common/sample_source.h"
#include "dsp/filter_text.h"
#include "dsp/sample_buffer.h"
#include "dsp/sos_filter.h"

namespace tremorline::dsp {

// How many samples are read and filtered at a time where a trace is streamed.
inline constexpr std::size_t kStreamBlock = std::size_t{1} << 20;

// The whole trace, filtered, in double precision. Holds the trace once in
// double and one block of single precision samples. Throws UserError when a
// sample is not finite (saying how many are not) or the source fails;
// Cancelled when `progress` is stopped.
// `finished`, when given, is handed each stretch of the result as soon as
// it is final, while it is still in the cache.
using BlockDone = std::function<void(std::span<const double>)>;
DoubleBuffer FilterTrace(const SampleSource& source, const TraceFilter& filter,
                         const Progress& progress, const BlockDone& finished = {});

// The mean of the samples in double precision, after checking each is
// finite; one pass over the source a block at a time.
double CheckedMean(const SampleSource& source, const Progress& progress);

// A one-pass (causal) filter run over a trace block by block, so that a trace
// of any length is filtered in bounded memory. `mean` is the trace's mean
// (CheckedMean). Each block is handed to `sink` in order.
void StreamCausal(const SampleSource& source, const TraceFilter& filter, double mean,
                  const std::function<void(std::span<const double>)>& sink,
                  const Progress& progress);

// The filtered samples in single precision, as they are stored and played.
std::vector<float> ToSingle(std::span<const double> samples);

}  // namespace tremorline::dsp
