#include "trace/envelope.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <span>
#include <stdexcept>

namespace tremorline::trace {
namespace {

constexpr std::size_t kFine = MinMaxSummary::kFineBlock;
constexpr std::size_t kCoarse = MinMaxSummary::kCoarseBlock;

// A sample position as an index in [0, count]; NaN counts as 0.
std::size_t PositionIndex(double position, std::size_t count) {
    if (!(position > 0)) {
        return 0;
    }
    if (position >= static_cast<double>(count)) {
        return count;
    }
    return static_cast<std::size_t>(position);
}

MinMax RawMinMax(const SampleSource& source, std::size_t first, std::size_t last) {
    std::array<float, kFine> buffer;
    MinMax result;
    while (first < last) {
        const std::size_t length = std::min(buffer.size(), last - first);
        source.Read(first, std::span<float>(buffer.data(), length));
        result.Merge(ScanMinMax(buffer.data(), length));
        first += length;
    }
    return result;
}

MinMax EntriesMinMax(const std::vector<MinMax>& entries, std::size_t first, std::size_t last) {
    MinMax result;
    for (std::size_t i = first; i < last; ++i) {
        result.Merge(entries[i]);
    }
    return result;
}

std::size_t RoundUp(std::size_t value, std::size_t block) {
    return (value + block - 1) / block * block;
}

// The end of the whole blocks that [.., last) covers: a block cut short by
// the end of the trace counts as whole.
std::size_t WholeBlocksEnd(std::size_t last, std::size_t count, std::size_t block) {
    return last == count ? RoundUp(last, block) : last / block * block;
}

}  // namespace

TraceView WholeTraceView(std::size_t sample_count) {
    return {0, static_cast<double>(std::max<std::size_t>(sample_count, 1))};
}

TraceView ClampView(const TraceView& view, std::size_t sample_count) {
    const TraceView whole = WholeTraceView(sample_count);
    if (!std::isfinite(view.first) || !std::isfinite(view.span)) {
        return whole;
    }
    const double span = std::clamp(view.span, std::min(kMinViewSpan, whole.span), whole.span);
    const double first = std::clamp(view.first, 0.0, whole.span - span);
    return {first, span};
}

TraceView ZoomView(const TraceView& view, double anchor, double factor, std::size_t sample_count) {
    if (!std::isfinite(anchor) || !(factor > 0) || !std::isfinite(factor)) {
        return ClampView(view, sample_count);
    }
    const TraceView zoomed{anchor - (anchor - view.first) * factor, view.span * factor};
    const TraceView clamped = ClampView(zoomed, sample_count);
    if (clamped.span == zoomed.span) {
        return clamped;
    }
    // The span hit a limit: keep the anchor in place at the limit's span.
    const double kept = view.span > 0 ? clamped.span / view.span : 1;
    return ClampView({anchor - (anchor - view.first) * kept, clamped.span}, sample_count);
}

TraceView PanView(const TraceView& view, double samples, std::size_t sample_count) {
    if (!std::isfinite(samples)) {
        return ClampView(view, sample_count);
    }
    return ClampView({view.first + samples, view.span}, sample_count);
}

std::size_t ColumnBoundary(const TraceView& view, std::size_t width, std::size_t column,
                           std::size_t sample_count) {
    if (width == 0) {
        return 0;
    }
    const double position =
        view.first + view.span * (static_cast<double>(column) / static_cast<double>(width));
    return PositionIndex(std::ceil(position), sample_count);
}

MinMax RangeMinMax(const SampleSource& source, const MinMaxSummary& summary, std::size_t first,
                   std::size_t last) {
    const std::size_t count = summary.SampleCount();
    if (source.Count() != count) {
        throw std::invalid_argument("The min/max summary is not the summary of these samples.");
    }
    last = std::min(last, count);
    if (first >= last) {
        return {};
    }
    const std::size_t fine_begin = RoundUp(first, kFine);
    const std::size_t fine_end = WholeBlocksEnd(last, count, kFine);
    if (fine_begin >= fine_end) {
        return RawMinMax(source, first, last);
    }
    MinMax result = RawMinMax(source, first, fine_begin);
    result.Merge(RawMinMax(source, std::min(fine_end, last), last));

    const std::size_t coarse_begin = RoundUp(fine_begin, kCoarse);
    const std::size_t coarse_end = WholeBlocksEnd(last, count, kCoarse);
    if (coarse_begin >= coarse_end) {
        result.Merge(EntriesMinMax(summary.Fine(), fine_begin / kFine, fine_end / kFine));
        return result;
    }
    result.Merge(EntriesMinMax(summary.Fine(), fine_begin / kFine, coarse_begin / kFine));
    result.Merge(EntriesMinMax(summary.Coarse(), coarse_begin / kCoarse, coarse_end / kCoarse));
    result.Merge(EntriesMinMax(summary.Fine(), coarse_end / kFine, fine_end / kFine));
    return result;
}

Envelope ComputeEnvelope(const SampleSource& source, const MinMaxSummary& summary,
                         const TraceView& view, std::size_t width) {
    Envelope envelope;
    const std::size_t count = summary.SampleCount();
    if (width == 0 || count == 0) {
        return envelope;
    }
    const double per_column = view.span / static_cast<double>(width);
    if (per_column < kLineModeSamplesPerColumn) {
        envelope.lines = true;
        const std::size_t first = PositionIndex(std::floor(view.first), count);
        const std::size_t from = first > 0 ? first - 1 : 0;
        const std::size_t to = std::max(
            from, std::min(count, PositionIndex(std::ceil(view.first + view.span), count) + 1));
        envelope.first_sample = from;
        envelope.samples.resize(to - from);
        source.Read(from, envelope.samples);
        return envelope;
    }
    envelope.columns.reserve(width);
    std::size_t begin = ColumnBoundary(view, width, 0, count);
    for (std::size_t column = 0; column < width; ++column) {
        const std::size_t end = ColumnBoundary(view, width, column + 1, count);
        envelope.columns.push_back(RangeMinMax(source, summary, begin, end));
        begin = end;
    }
    return envelope;
}

}  // namespace tremorline::trace
