// SPDX-License-Identifier: MIT
#include "sound/wave_data.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "common/user_error.h"

namespace tremorline::sound {
namespace {

TEST(BuildWaveData, CentresAndScalesToPlusMinus32760) {
    const struct {
        const char* what;
        std::vector<float> samples;
        std::vector<std::int16_t> expected;
    } cases[] = {
        // Bias 500, Peak 2500: scale 13.104.
        {"worked example", {-1000, 3000, -500}, {-19656, 32760, -13104}},
        {"negative excursion larger", {-3000, 1000, 2000}, {-32760, 10920, 21840}},
        {"equal excursions", {-2, 2, 0}, {-32760, 32760, 0}},
        // Peak 131040 gives scale 0.25 exactly, so deviations of 2, 6, 10 and
        // 14 land on halves, which go to the even neighbour.
        {"halves to even",
         {131040, -131040, 2, 6, 10, 14, -2, -6, -10, -14},
         {32760, -32760, 0, 2, 2, 4, 0, -2, -2, -4}},
    };
    for (const auto& c : cases) {
        const std::vector<std::int16_t> data =
            BuildWaveData(c.samples, ComputeSoundLevels(c.samples));
        EXPECT_EQ(data, c.expected) << c.what;
    }
}

TEST(BuildWaveData, RefusesRatherThanCastOutOfRange) {
    const std::vector<float> samples = {0, 1000};
    const SoundLevels flat = {0, 0, 0, 5};
    EXPECT_THROW(BuildWaveData(samples, flat), UserError);
    // Levels of other samples would put 1000 far beyond 16 bits.
    const SoundLevels narrow = {1, -1, 1, 0};
    EXPECT_THROW(BuildWaveData(samples, narrow), UserError);
}

}  // namespace
}  // namespace tremorline::sound
