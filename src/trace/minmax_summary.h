// SPDX-License-Identifier: MIT
#pragma once

// The min/max summary of a trace's samples: the smallest and largest sample
// of every block of 256 samples, and of every block of 65 536, so that a
// drawing of any zoom reads a few thousand entries instead of every sample.
//
// A sample that is NaN or infinite is a gap in the recording, not a value:
// an entry's min and max are taken over the finite samples of its block only,
// and the entry says whether the block holds any gap. A block of nothing but
// gaps has no min or max (HasValues() is false).
//
// Memory: 12 bytes per 256 samples (1 KiB) plus 12 per 65 536, about 1/84
// of the samples themselves.

#include <cstddef>
#include <limits>
#include <optional>
#include <stop_token>
#include <vector>

#include "common/sample_source.h"

namespace tremorline::trace {

struct MinMax {
    float min = std::numeric_limits<float>::infinity();
    float max = -std::numeric_limits<float>::infinity();
    bool gap = false;  // the samples covered include a NaN or an infinity

    bool HasValues() const { return min <= max; }

    // Takes in the samples `other` covers.
    void Merge(const MinMax& other) {
        min = other.min < min ? other.min : min;
        max = other.max > max ? other.max : max;
        gap = gap || other.gap;
    }
    MinMax Merged(const MinMax& other) const {
        MinMax both = *this;
        both.Merge(other);
        return both;
    }

    friend bool operator==(const MinMax&, const MinMax&) = default;
};

// The min, max and gap flag of `samples`, scanned as fast as the processor
// allows.
MinMax ScanMinMax(const float* samples, std::size_t count);

// The ways of scanning: plain C++, and vector instructions where the
// processor has them. Each gives the same result.
enum class ScanKind { Plain, Sse2, Avx2 };

// The ways this processor can run, the fastest last (ScanMinMax's choice).
std::vector<ScanKind> AvailableScans();

// ScanMinMax the given way, which must be one of AvailableScans().
MinMax ScanMinMaxWith(ScanKind kind, const float* samples, std::size_t count);

class MinMaxSummary {
  public:
    static constexpr std::size_t kFineBlock = 256;
    static constexpr std::size_t kCoarseBlock = 65536;
    static constexpr std::size_t kFinePerCoarse = kCoarseBlock / kFineBlock;

    MinMaxSummary() = default;

    // How many samples the summary describes.
    std::size_t SampleCount() const { return sample_count_; }

    // Entry i covers samples [i * block, (i + 1) * block), the last one
    // possibly fewer.
    const std::vector<MinMax>& Fine() const { return fine_; }
    const std::vector<MinMax>& Coarse() const { return coarse_; }

    // The whole trace's min, max and gap flag.
    MinMax Overall() const;

    // Bytes held by the two levels.
    std::size_t MemoryBytes() const {
        return (fine_.capacity() + coarse_.capacity()) * sizeof(MinMax);
    }

  private:
    friend std::optional<MinMaxSummary> BuildMinMaxSummary(const SampleSource&, std::stop_token);

    std::size_t sample_count_ = 0;
    std::vector<MinMax> fine_;
    std::vector<MinMax> coarse_;
};

// Reads every sample of `source` once, a stretch at a time, and builds its
// summary. Meant to run on a worker thread: `stop` is checked after every
// stretch, and a stop request ends the build with nothing. Throws what the
// source throws when its samples cannot be read.
std::optional<MinMaxSummary> BuildMinMaxSummary(const SampleSource& source,
                                                std::stop_token stop = {});

}  // namespace tremorline::trace
