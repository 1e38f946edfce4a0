// SPDX-License-Identifier: MIT
#pragma once

// Running a cascade of second-order sections over samples in double
// precision (direct form II transposed, the state starting at zero).
//
// Each section is a recurrence: a sample's output waits for the one before
// it, so a plain loop stalls on that chain of multiplications and additions.
// The cascade is therefore run a block at a time, several sections at once in
// a staggered pipeline (section s works on sample n - s while section 0
// works on sample n), which gives the core independent chains to overlap.
// The arithmetic of every section is exactly that of a plain loop.

#include <array>
#include <cstddef>
#include <span>
#include <vector>

#include "dsp/butterworth.h"

namespace tremorline::dsp {

// The two delayed values a section keeps between samples.
using SectionState = std::array<double, 2>;

// A cascade with its state, for filtering a trace block after block: the
// state is carried from one Run to the next, so the blocks give exactly what
// one run over the whole would.
class SosCascade {
  public:
    explicit SosCascade(std::vector<Section> sections);

    // Filters `block` in place, continuing from where the last block ended.
    void Run(std::span<double> block);

    // As Run, but from the block's last sample to its first: the pass over
    // the reversed trace, given its blocks from the trace's end backwards.
    void RunBackward(std::span<double> block);

    // Back to the zero state, for a new pass.
    void Reset();

    const std::vector<Section>& sections() const { return sections_; }

  private:
    std::vector<Section> sections_;
    std::vector<SectionState> state_;
};

// Runs the cascade over `samples` from a zero state; with `zero_phase`, runs
// it again from a zero state over the reversed result and reverses that back,
// which doubles the attenuation and cancels the phase shift.
void FilterSamples(std::span<double> samples, const std::vector<Section>& sections,
                   bool zero_phase);

}  // namespace tremorline::dsp
