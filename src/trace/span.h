// SPDX-License-Identifier: MIT
#pragma once

// A span of a trace: the samples between two moments. The moments are given
// as a user writes them (seconds after the reference time, or a UTC date and
// time), turned once into seconds after the trace's reference time, and the
// span is then a pair of sample indices that every output of the span uses.
//
// The sample rule: sample i stands at B + i * DELTA, worked out in double
// precision from the header's single-precision B and DELTA (an undefined B
// counts as 0, as on the drawing's axis). A span from `start` to `end` holds
// exactly the samples whose times so computed satisfy start <= t <= end; both
// edges are inclusive and nothing is rounded to the nearest sample. With a
// DELTA of 0.01, whose single-precision value is 0.0099999998, sample 100
// stands at 0.99999998 s, so a span ending at 1 holds it and one starting at
// 1 does not.

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "common/sample_source.h"
#include "trace/axes.h"
#include "trace/loaded_trace.h"
#include "trace/trace_info.h"

namespace tremorline::trace {

// A moment as the user wrote it.
struct SpanTime {
    bool utc = false;
    double seconds = 0;   // after the reference time, when not utc
    DateTime moment;      // when utc: the date and time to the whole second
    double fraction = 0;  // when utc: the part of a second, 0 <= fraction < 1
};

// "12.5", "-3", "1e2": seconds after the reference time, as B and E are
// given; or "2010-02-27T06:50:00", "2010-02-27T06:50:00.125Z": a UTC date and
// time with up to nine decimals of the second and an optional Z. Nothing for
// any other text, a number that is not finite, or a date or time of day that
// does not exist.
std::optional<SpanTime> ParseSpanTime(std::string_view text);

// `time` as seconds after the reference time of `info` (RefTime plus NZMSEC).
double SecondsAfterReference(const TraceInfo& info, const SpanTime& time);

// Whether `start` comes before `end`, where that is known without a trace:
// when both are written in the same form. Nothing when the forms differ.
std::optional<bool> IsBefore(const SpanTime& start, const SpanTime& end);

// Samples [first, first + count) of a trace.
struct SampleSpan {
    std::size_t first = 0;
    std::size_t count = 0;

    friend bool operator==(const SampleSpan&, const SampleSpan&) = default;
};

// The samples among `sample_count` whose times (see above) fall in
// [start, end]; a count of 0 when there are none. `scale` must count seconds.
SampleSpan SamplesBetween(const TimeScale& scale, std::size_t sample_count, double start,
                          double end);

// The samples of `trace` between `start` and `end` seconds after its
// reference time. Throws UserError when the trace has no usable DELTA, or
// when no sample falls in the span, saying where the trace lies.
SampleSpan RequireSamplesBetween(const LoadedTrace& trace, double start, double end);

// Where the samples of `trace` lie: "from 0 to 0.99 s after the reference
// time (2005-02-01 03:04:05.250 to 2005-02-01 03:04:06.240 UTC)".
std::string TraceExtentText(const LoadedTrace& trace);

// The samples of a span of another source, read from it on demand: nothing
// is copied. Keeps the whole source alive.
class SpanSampleSource final : public SampleSource {
  public:
    // Throws UserError when `span` runs past the end of `whole`.
    SpanSampleSource(std::shared_ptr<const SampleSource> whole, SampleSpan span);

    std::size_t Count() const override { return span_.count; }
    void Read(std::size_t first, std::span<float> out) const override;

  private:
    std::shared_ptr<const SampleSource> whole_;
    SampleSpan span_;
};

// The trace made of the samples in `span` of `trace`, as a trace cut to that
// span would be: its samples are a view of the trace's (SpanSampleSource),
// B is the time of its first sample, NPTS its count and E B + (NPTS - 1) *
// DELTA, in the header and in TraceInfo alike. DEPMIN, DEPMAX and DEPMEN become
// undefined until the samples are read (SetDependentLevels); the rest of the
// header, the path and the title are kept. A span of all the samples gives
// the trace itself.
LoadedTrace SpanTrace(const LoadedTrace& trace, SampleSpan span);

// Sets DEPMIN, DEPMAX and DEPMEN of `header` from `samples`: the extremes and
// the mean (summed in double precision) of the finite ones; undefined when
// there are none.
void SetDependentLevels(sac::SacHeader& header, std::span<const float> samples);

}  // namespace tremorline::trace
