// SPDX-License-Identifier: MIT
#pragma once

// What a drawing of the trace needs for one view: per pixel column the exact
// min and max of the samples the column covers, or, zoomed in far enough
// that a column holds fewer than two samples, the samples themselves to be
// joined by lines.

#include <cstddef>
#include <vector>

#include "common/sample_source.h"
#include "trace/minmax_summary.h"

namespace tremorline::trace {

// The stretch of the trace a drawing shows, in sample positions: sample i
// stands at position i, and the view covers [first, first + span).
struct TraceView {
    double first = 0;
    double span = 1;

    friend bool operator==(const TraceView&, const TraceView&) = default;
};

// The narrowest view zooming in reaches, in samples.
inline constexpr double kMinViewSpan = 4;

// Below this many samples per column the trace is drawn as lines.
inline constexpr double kLineModeSamplesPerColumn = 2;

// The view of every sample.
TraceView WholeTraceView(std::size_t sample_count);

// `view` narrowed (factor < 1) or widened (factor > 1) so that the sample
// position `anchor` stays where it is on screen; kept within the trace.
TraceView ZoomView(const TraceView& view, double anchor, double factor, std::size_t sample_count);

// `view` moved by `samples` (either sign), kept within the trace.
TraceView PanView(const TraceView& view, double samples, std::size_t sample_count);

// `view` with its span between kMinViewSpan and the whole trace and its
// first position inside the trace. NaN or infinite values give the whole
// trace.
TraceView ClampView(const TraceView& view, std::size_t sample_count);

// The first sample of column `column` of a drawing `width` columns wide:
// column c covers the samples i with first + c * span / width <= i <
// first + (c + 1) * span / width, that is [ColumnBoundary(c),
// ColumnBoundary(c + 1)). Clamped to [0, sample_count].
std::size_t ColumnBoundary(const TraceView& view, std::size_t width, std::size_t column,
                           std::size_t sample_count);

// The exact min, max and gap flag of samples [first, last) of `source`: whole
// blocks come from the summary, the partial blocks at either end from the
// samples. `summary` must be the summary of `source`.
MinMax RangeMinMax(const SampleSource& source, const MinMaxSummary& summary, std::size_t first,
                   std::size_t last);

struct Envelope {
    // True when the view is drawn as lines between samples.
    bool lines = false;
    // Envelope: one entry per column. A column that covers no sample, or
    // only gaps, has no values.
    std::vector<MinMax> columns;
    // Lines: samples[k] is sample first_sample + k. They run from the last
    // sample before the view to the first one after it, where there are such.
    std::size_t first_sample = 0;
    std::vector<float> samples;
};

// The envelope of `view` on a drawing `width` columns wide. Throws what the
// source throws when its samples cannot be read.
Envelope ComputeEnvelope(const SampleSource& source, const MinMaxSummary& summary,
                         const TraceView& view, std::size_t width);

}  // namespace tremorline::trace
