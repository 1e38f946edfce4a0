// SPDX-License-Identifier: MIT
#pragma once

// Room for a whole trace in double precision, for the filters that need it
// all at once. Taken straight from the system, in huge pages where it
// offers them, and never cleared: a trace of 100 million samples fills
// 800 MB, and zeroing that first, page fault by page fault, costs as much as
// filtering it.

#include <cstddef>
#include <span>

namespace tremorline::dsp {

class DoubleBuffer {
  public:
    // Room for `count` samples, their values unset. Throws UserError when
    // there is not enough memory.
    explicit DoubleBuffer(std::size_t count);
    ~DoubleBuffer();
    DoubleBuffer(DoubleBuffer&& other) noexcept;
    DoubleBuffer& operator=(DoubleBuffer&&) = delete;
    DoubleBuffer(const DoubleBuffer&) = delete;
    DoubleBuffer& operator=(const DoubleBuffer&) = delete;

    std::span<double> span() { return {data_, count_}; }
    std::span<const double> span() const { return {data_, count_}; }
    std::size_t size() const { return count_; }

  private:
    double* data_ = nullptr;
    std::size_t count_ = 0;
    std::size_t bytes_ = 0;
};

}  // namespace tremorline::dsp
