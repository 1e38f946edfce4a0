// SPDX-License-Identifier: MIT
#include "common/sample_memory.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace tremorline {
namespace {

// A trace may promise more samples than memory holds: the user is told how
// many and how much, not "std::bad_alloc". (A count past what a vector can
// describe is refused before anything is allocated, so this runs under the
// sanitizers too.)
TEST(SampleMemory, TooManySamplesAreRefusedInWords) {
    const std::size_t count = std::numeric_limits<std::size_t>::max() / 2;
    try {
        (void)AllocateSamples<float>(count);
        ADD_FAILURE() << "allocated";
    } catch (const UserError& error) {
        EXPECT_EQ(error.what(), NotEnoughMemoryText(count, sizeof(float)));
    }
    EXPECT_EQ(NotEnoughMemoryText(2'000'000'000, 4),
              "There is not enough memory for 2000000000 samples (8.0 GB).");
    EXPECT_EQ(AllocateSamples<std::int16_t>(3), (std::vector<std::int16_t>{0, 0, 0}));
}

}  // namespace
}  // namespace tremorline
