// SPDX-License-Identifier: MIT
#include "trace/minmax_summary.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <span>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace tremorline::trace {
namespace {

// Samples read per stretch: one coarse block (256 KiB), small enough to stay
// in the processor's cache between the read and the scan, and whole blocks
// of both sizes.
constexpr std::size_t kStretch = MinMaxSummary::kCoarseBlock;

std::size_t BlocksFor(std::size_t count, std::size_t block) {
    return count / block + (count % block != 0 ? 1 : 0);
}

// One sample at a time, leaving out NaN and infinities.
MinMax ScanOneByOne(const float* samples, std::size_t count) {
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

// The min and max of the first `scanned` samples, an infinity possibly among
// them, and whether any of them is NaN or infinite.
struct FastScan {
    MinMax range;
    bool special = false;
    std::size_t scanned = 0;
};

// Any processor: independent lanes that the compiler may keep in registers.
// The exponent field plus one carries into the sign bit exactly when it is
// all ones, as in NaN and the infinities.
FastScan ScanFastPlain(const float* samples, std::size_t count) {
    constexpr std::size_t kLanes = 8;
    std::array<float, kLanes> low;
    std::array<float, kLanes> high;
    low.fill(std::numeric_limits<float>::infinity());
    high.fill(-std::numeric_limits<float>::infinity());
    std::uint32_t special = 0;
    FastScan scan;
    for (; scan.scanned + kLanes <= count; scan.scanned += kLanes) {
        for (std::size_t lane = 0; lane < kLanes; ++lane) {
            const float value = samples[scan.scanned + lane];
            low[lane] = value < low[lane] ? value : low[lane];
            high[lane] = value > high[lane] ? value : high[lane];
            const std::uint32_t exponent = std::bit_cast<std::uint32_t>(value) & 0x7f800000u;
            special |= (exponent + 0x00800000u) & 0x80000000u;
        }
    }
    for (std::size_t lane = 0; lane < kLanes; ++lane) {
        scan.range.min = std::min(scan.range.min, low[lane]);
        scan.range.max = std::max(scan.range.max, high[lane]);
    }
    scan.special = special != 0;
    return scan;
}

#if defined(__SSE2__)

// The vector scans keep four sets of running values, so that no step waits
// on the one before. minps and maxps return their second operand when the
// first is NaN, so a NaN never enters the running min or max. The running
// sum of the samples turns NaN or infinite when any sample is NaN or
// infinite; it can also overflow on finite samples beyond some 1e36, which
// only sends the stretch to the careful scan as well.

FastScan ScanFastSse2(const float* samples, std::size_t count) {
    constexpr std::size_t kSets = 4;
    constexpr std::size_t kStep = 4 * kSets;
    const __m128 infinity = _mm_set1_ps(std::numeric_limits<float>::infinity());
    const __m128 minus_infinity = _mm_sub_ps(_mm_setzero_ps(), infinity);
    const __m128 zero = _mm_setzero_ps();
    __m128 low[kSets] = {infinity, infinity, infinity, infinity};
    __m128 high[kSets] = {minus_infinity, minus_infinity, minus_infinity, minus_infinity};
    __m128 sum[kSets] = {zero, zero, zero, zero};
    FastScan scan;
    for (; scan.scanned + kStep <= count; scan.scanned += kStep) {
        for (std::size_t set = 0; set < kSets; ++set) {
            const __m128 value = _mm_loadu_ps(samples + scan.scanned + 4 * set);
            low[set] = _mm_min_ps(value, low[set]);
            high[set] = _mm_max_ps(value, high[set]);
            sum[set] = _mm_add_ps(sum[set], value);
        }
    }
    for (std::size_t set = 1; set < kSets; ++set) {
        low[0] = _mm_min_ps(low[set], low[0]);
        high[0] = _mm_max_ps(high[set], high[0]);
        sum[0] = _mm_add_ps(sum[set], sum[0]);
    }
    alignas(16) std::array<float, 4> lows;
    alignas(16) std::array<float, 4> highs;
    _mm_store_ps(lows.data(), low[0]);
    _mm_store_ps(highs.data(), high[0]);
    for (std::size_t lane = 0; lane < 4; ++lane) {
        scan.range.min = std::min(scan.range.min, lows[lane]);
        scan.range.max = std::max(scan.range.max, highs[lane]);
    }
    const __m128 finite_check = _mm_sub_ps(sum[0], sum[0]);  // 0, or NaN when not finite
    scan.special = _mm_movemask_ps(_mm_cmpunord_ps(finite_check, finite_check)) != 0;
    return scan;
}

#if defined(__GNUC__) && defined(__x86_64__)
#define TREMORLINE_HAVE_AVX2_SCAN 1

// The same eight samples a register wide, for processors that have AVX2.
__attribute__((target("avx2"))) FastScan ScanFastAvx2(const float* samples, std::size_t count) {
    constexpr std::size_t kSets = 4;
    constexpr std::size_t kStep = 8 * kSets;
    const __m256 infinity = _mm256_set1_ps(std::numeric_limits<float>::infinity());
    const __m256 minus_infinity = _mm256_sub_ps(_mm256_setzero_ps(), infinity);
    const __m256 zero = _mm256_setzero_ps();
    __m256 low[kSets] = {infinity, infinity, infinity, infinity};
    __m256 high[kSets] = {minus_infinity, minus_infinity, minus_infinity, minus_infinity};
    __m256 sum[kSets] = {zero, zero, zero, zero};
    FastScan scan;
    for (; scan.scanned + kStep <= count; scan.scanned += kStep) {
        for (std::size_t set = 0; set < kSets; ++set) {
            const __m256 value = _mm256_loadu_ps(samples + scan.scanned + 8 * set);
            low[set] = _mm256_min_ps(value, low[set]);
            high[set] = _mm256_max_ps(value, high[set]);
            sum[set] = _mm256_add_ps(sum[set], value);
        }
    }
    for (std::size_t set = 1; set < kSets; ++set) {
        low[0] = _mm256_min_ps(low[set], low[0]);
        high[0] = _mm256_max_ps(high[set], high[0]);
        sum[0] = _mm256_add_ps(sum[set], sum[0]);
    }
    alignas(32) std::array<float, 8> lows;
    alignas(32) std::array<float, 8> highs;
    _mm256_store_ps(lows.data(), low[0]);
    _mm256_store_ps(highs.data(), high[0]);
    for (std::size_t lane = 0; lane < 8; ++lane) {
        scan.range.min = std::min(scan.range.min, lows[lane]);
        scan.range.max = std::max(scan.range.max, highs[lane]);
    }
    const __m256 finite_check = _mm256_sub_ps(sum[0], sum[0]);
    scan.special = _mm256_movemask_ps(_mm256_cmp_ps(finite_check, finite_check, _CMP_UNORD_Q)) != 0;
    return scan;
}

#endif

#endif

}  // namespace

std::vector<ScanKind> AvailableScans() {
    std::vector<ScanKind> kinds{ScanKind::Plain};
#if defined(__SSE2__)
    kinds.push_back(ScanKind::Sse2);
#endif
#if defined(TREMORLINE_HAVE_AVX2_SCAN)
    if (__builtin_cpu_supports("avx2") != 0) {
        kinds.push_back(ScanKind::Avx2);
    }
#endif
    return kinds;
}

MinMax ScanMinMaxWith(ScanKind kind, const float* samples, std::size_t count) {
    FastScan fast;
    switch (kind) {
#if defined(TREMORLINE_HAVE_AVX2_SCAN)
        case ScanKind::Avx2:
            fast = ScanFastAvx2(samples, count);
            break;
#endif
#if defined(__SSE2__)
        case ScanKind::Sse2:
            fast = ScanFastSse2(samples, count);
            break;
#endif
        default:
            fast = ScanFastPlain(samples, count);
    }
    // Gaps are rare: a stretch holding one is scanned again, one sample at a
    // time.
    if (fast.special) {
        return ScanOneByOne(samples, count);
    }
    return fast.range.Merged(ScanOneByOne(samples + fast.scanned, count - fast.scanned));
}

MinMax ScanMinMax(const float* samples, std::size_t count) {
    static const ScanKind fastest = AvailableScans().back();
    return ScanMinMaxWith(fastest, samples, count);
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
                ScanMinMax(stretch.data() + block, std::min(fine_block, length - block)));
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
