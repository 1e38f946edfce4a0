// SPDX-License-Identifier: MIT
#pragma once

// One stage of a longer piece of work (reading the samples, then scaling
// them, then writing them): the stage counts its own units, and the Progress
// it reports to sees them as a share of the whole. A default stage reports
// to nobody, which is what the batch tool and most tests want.

#include <cstddef>
#include <cstdint>

#include "common/progress.h"

namespace tremorline {

class ProgressStage {
  public:
    ProgressStage() = default;
    // The stage's units come after `before` units of earlier stages, out of
    // `whole` units in all.
    ProgressStage(const Progress& progress, std::uint64_t before, std::uint64_t whole)
        : progress_(&progress), before_(before), whole_(whole) {}

    // `done` of the stage's `total` units are done; throws Cancelled once a
    // stop has been asked for.
    void Step(std::uint64_t done, std::uint64_t total) const {
        if (progress_ != nullptr) {
            progress_->Step(before_ + done, whole_ == 0 ? total : whole_);
        }
    }

  private:
    const Progress* progress_ = nullptr;
    std::uint64_t before_ = 0;
    std::uint64_t whole_ = 0;
};

// How many samples a block step reads, scales or writes between two looks
// at the stop token: a few milliseconds of work.
inline constexpr std::size_t kProgressBlock = std::size_t{1} << 20;

}  // namespace tremorline
