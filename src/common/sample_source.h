// SPDX-License-Identifier: MIT
#pragma once

// Where a loaded trace's samples come from: a SAC file on disk, a miniSEED
// segment decoded into memory, or anything else that can hand out single
// precision samples in memory order, whole or a stretch at a time.

#include <algorithm>
#include <cstddef>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "common/sample_memory.h"
#include "common/user_error.h"

namespace tremorline {

class SampleSource {
  public:
    virtual ~SampleSource() = default;

    // How many samples the trace has.
    virtual std::size_t Count() const = 0;

    // Copies samples [first, first + out.size()) into `out`, in memory order.
    // Throws UserError when they cannot be read, or when the stretch runs past
    // Count(). Safe to call from several threads at once.
    virtual void Read(std::size_t first, std::span<float> out) const = 0;
};

// Every sample of `source`, in one vector.
inline std::vector<float> ReadAllSamples(const SampleSource& source) {
    std::vector<float> samples = AllocateSamples<float>(source.Count());
    source.Read(0, samples);
    return samples;
}

// Samples already in memory.
class MemorySampleSource final : public SampleSource {
  public:
    explicit MemorySampleSource(std::vector<float> samples) : samples_(std::move(samples)) {}

    std::size_t Count() const override { return samples_.size(); }

    void Read(std::size_t first, std::span<float> out) const override {
        if (first > samples_.size() || out.size() > samples_.size() - first) {
            throw UserError("The trace has no samples beyond sample " +
                            std::to_string(samples_.size()) + ".");
        }
        std::copy_n(samples_.begin() + static_cast<std::ptrdiff_t>(first), out.size(), out.begin());
    }

  private:
    std::vector<float> samples_;
};

}  // namespace tremorline
