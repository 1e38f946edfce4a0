#include "trace/minmax_summary.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <span>

namespace tremorline::trace {
namespace {

// Samples read per stretch: 1 MiB, a whole number of coarse blocks, so that
// no block straddles two stretches.
constexpr std::size_t kStretch = 4 * MinMaxSummary::kCoarseBlock;

// Lanes of the block scan: independent running minima and maxima that the
// compiler keeps in vector registers.
constexpr std::size_t kLanes = 16;

std::size_t BlocksFor(std::size_t count, std::size_t block) {
    return count / block + (count % block != 0 ? 1 : 0);
}

// The min and max of a block, fast: no branch per sample. A NaN never wins a
// comparison, but an infinity would, so the scan also notes whether any
// sample has the all-ones exponent of NaN and infinity; such a (rare) block
// is scanned again one sample at a time.
MinMax BlockMinMax(const float* samples, std::size_t count) {
    std::array<float, kLanes> lane_min;
    std::array<float, kLanes> lane_max;
    lane_min.fill(std::numeric_limits<float>::infinity());
    lane_max.fill(-std::numeric_limits<float>::infinity());
    std::array<std::uint32_t, kLanes> special{};
    const std::size_t whole = count - count % kLanes;
    for (std::size_t i = 0; i < whole; i += kLanes) {
        for (std::size_t lane = 0; lane < kLanes; ++lane) {
            const float value = samples[i + lane];
            lane_min[lane] = value < lane_min[lane] ? value : lane_min[lane];
            lane_max[lane] = value > lane_max[lane] ? value : lane_max[lane];
            // The exponent field plus one carries into the sign bit exactly
            // when it is all ones.
            const std::uint32_t exponent = std::bit_cast<std::uint32_t>(value) & 0x7f800000u;
            special[lane] |= (exponent + 0x00800000u) & 0x80000000u;
        }
    }
    std::uint32_t any_special = 0;
    MinMax result;
    for (std::size_t lane = 0; lane < kLanes; ++lane) {
        result.min = std::min(result.min, lane_min[lane]);
        result.max = std::max(result.max, lane_max[lane]);
        any_special |= special[lane];
    }
    const MinMax tail = ScanMinMax(samples + whole, count - whole);
    if (any_special != 0) {
        return ScanMinMax(samples, whole).Merged(tail);
    }
    return result.Merged(tail);
}

}  // namespace

MinMax ScanMinMax(const float* samples, std::size_t count) {
    MinMax result;
    for (std::size_t i = 0; i < count; ++i) {
        const float value = samples[i];
        if (!std::isfinite(value)) {
            result.gap = true;
            continue;
        }
        result.min = std::min(result.min, value);
        result.max = std::max(result.max, value);
    }
    return result;
}

MinMax MinMaxSummary::Overall() const {
    MinMax overall;
    for (const MinMax& entry : coarse_) {
        overall.Merge(entry);
    }
    return overall;
}

std::optional<MinMaxSummary> BuildMinMaxSummary(const SampleSource& source, std::stop_token stop) {
    constexpr std::size_t fine_block = MinMaxSummary::kFineBlock;
    const std::size_t count = source.Count();
    MinMaxSummary summary;
    summary.sample_count_ = count;
    summary.fine_.reserve(BlocksFor(count, fine_block));
    summary.coarse_.reserve(BlocksFor(count, MinMaxSummary::kCoarseBlock));

    std::vector<float> stretch(std::min(count, kStretch));
    for (std::size_t first = 0; first < count; first += kStretch) {
        if (stop.stop_requested()) {
            return std::nullopt;
        }
        const std::size_t length = std::min(kStretch, count - first);
        source.Read(first, std::span<float>(stretch.data(), length));
        for (std::size_t block = 0; block < length; block += fine_block) {
            summary.fine_.push_back(
                BlockMinMax(stretch.data() + block, std::min(fine_block, length - block)));
        }
    }

    const std::vector<MinMax>& fine = summary.fine_;
    for (std::size_t first = 0; first < fine.size(); first += MinMaxSummary::kFinePerCoarse) {
        const std::size_t last = std::min(fine.size(), first + MinMaxSummary::kFinePerCoarse);
        MinMax coarse;
        for (std::size_t i = first; i < last; ++i) {
            coarse.Merge(fine[i]);
        }
        summary.coarse_.push_back(coarse);
    }
    return summary;
}

}  // namespace tremorline::trace
