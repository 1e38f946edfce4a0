// SPDX-License-Identifier: MIT
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

// Up to this many samples per column, the columns are scanned from the
// samples themselves (at most some 1.5 million samples for a wide window).
constexpr double kDenseSamplesPerColumn = 4 * kFine;
constexpr std::size_t kDenseStretch = 1 << 16;

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

// [first, last) of whole fine blocks, from the summary: coarse entries for
// the whole coarse blocks inside, fine entries for the rest.
MinMax BlocksMinMax(const MinMaxSummary& summary, std::size_t first, std::size_t last) {
    if (first >= last) {
        return {};
    }
    const std::size_t count = summary.SampleCount();
    const std::size_t coarse_begin = RoundUp(first, kCoarse);
    const std::size_t coarse_end = WholeBlocksEnd(std::min(last, count), count, kCoarse);
    if (coarse_begin >= coarse_end) {
        return EntriesMinMax(summary.Fine(), first / kFine, last / kFine);
    }
    MinMax result = EntriesMinMax(summary.Fine(), first / kFine, coarse_begin / kFine);
    result.Merge(EntriesMinMax(summary.Coarse(), coarse_begin / kCoarse, coarse_end / kCoarse));
    result.Merge(EntriesMinMax(summary.Fine(), coarse_end / kFine, last / kFine));
    return result;
}

void CheckSummary(const SampleSource& source, const MinMaxSummary& summary) {
    if (source.Count() != summary.SampleCount()) {
        throw std::invalid_argument("The min/max summary is not the summary of these samples.");
    }
}

// Narrow columns: every sample of the view read in long stretches and
// scanned, which costs less than two short reads per column.
std::vector<MinMax> DenseColumns(const SampleSource& source,
                                 const std::vector<std::size_t>& boundaries) {
    std::vector<MinMax> columns;
    columns.reserve(boundaries.size() - 1);
    const std::size_t view_end = boundaries.back();
    std::vector<float> stretch(std::min(kDenseStretch, view_end - boundaries.front()));
    std::size_t stretch_first = 0;
    std::size_t stretch_end = 0;
    for (std::size_t column = 0; column + 1 < boundaries.size(); ++column) {
        MinMax span;
        for (std::size_t i = boundaries[column]; i < boundaries[column + 1];) {
            if (i >= stretch_end) {
                const std::size_t length = std::min(stretch.size(), view_end - i);
                source.Read(i, std::span<float>(stretch.data(), length));
                stretch_first = i;
                stretch_end = i + length;
            }
            const std::size_t stop = std::min(boundaries[column + 1], stretch_end);
            span.Merge(ScanMinMax(stretch.data() + (i - stretch_first), stop - i));
            i = stop;
        }
        columns.push_back(span);
    }
    return columns;
}

// The samples of the fine block a column edge falls in, on either side of it.
struct EdgeBlock {
    MinMax before;
    MinMax after;
};

// Wide columns: whole blocks from the summary; at each column edge inside a
// block, that one block is read, and serves the columns on both sides.
std::vector<MinMax> SparseColumns(const SampleSource& source, const MinMaxSummary& summary,
                                  const std::vector<std::size_t>& boundaries) {
    const std::size_t count = summary.SampleCount();
    std::vector<EdgeBlock> edges(boundaries.size());
    std::array<float, kFine> block;
    for (std::size_t k = 0; k < boundaries.size(); ++k) {
        const std::size_t edge = boundaries[k];
        if (edge % kFine == 0 || edge >= count) {
            continue;
        }
        const std::size_t block_first = edge / kFine * kFine;
        const std::size_t length = std::min(kFine, count - block_first);
        source.Read(block_first, std::span<float>(block.data(), length));
        edges[k].before = ScanMinMax(block.data(), edge - block_first);
        edges[k].after =
            ScanMinMax(block.data() + (edge - block_first), length - (edge - block_first));
    }
    std::vector<MinMax> columns;
    columns.reserve(boundaries.size() - 1);
    for (std::size_t column = 0; column + 1 < boundaries.size(); ++column) {
        const std::size_t first = boundaries[column];
        const std::size_t last = boundaries[column + 1];
        if (first >= last) {
            columns.emplace_back();
            continue;
        }
        MinMax span = edges[column].after;
        span.Merge(
            BlocksMinMax(summary, RoundUp(first, kFine), WholeBlocksEnd(last, count, kFine)));
        span.Merge(edges[column + 1].before);
        columns.push_back(span);
    }
    return columns;
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
    CheckSummary(source, summary);
    const std::size_t count = summary.SampleCount();
    last = std::min(last, count);
    if (first >= last) {
        return {};
    }
    const std::size_t blocks_begin = RoundUp(first, kFine);
    const std::size_t blocks_end = WholeBlocksEnd(last, count, kFine);
    if (blocks_begin >= blocks_end) {
        return RawMinMax(source, first, last);
    }
    MinMax result = RawMinMax(source, first, blocks_begin);
    result.Merge(RawMinMax(source, std::min(blocks_end, last), last));
    result.Merge(BlocksMinMax(summary, blocks_begin, blocks_end));
    return result;
}

Envelope ComputeEnvelope(const SampleSource& source, const MinMaxSummary& summary,
                         const TraceView& view, std::size_t width) {
    CheckSummary(source, summary);
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
    std::vector<std::size_t> boundaries(width + 1);
    for (std::size_t column = 0; column <= width; ++column) {
        boundaries[column] = ColumnBoundary(view, width, column, count);
    }
    envelope.columns = per_column <= kDenseSamplesPerColumn
                           ? DenseColumns(source, boundaries)
                           : SparseColumns(source, summary, boundaries);
    return envelope;
}

}  // namespace tremorline::trace
