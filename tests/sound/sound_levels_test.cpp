// SPDX-License-Identifier: MIT
#include "sound/sound_levels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "common/user_error.h"

namespace tremorline::sound {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kBig = std::numeric_limits<float>::max();

struct LevelsCase {
    const char* what;
    std::vector<float> samples;
    SoundLevels expected;  // Max, Min, Peak, Bias
};

TEST(ComputeSoundLevels, MeasuresAroundTheMean) {
    const LevelsCase cases[] = {
        {"worked example", {-1000, 3000, -500}, {2500, -1500, 2500, 500}},
        {"negative excursion larger", {-3000, 1000, 2000}, {2000, -3000, 3000, 0}},
        {"equal excursions", {-2, 2}, {2, -2, 2, 0}},
        {"flat trace", {7, 7, 7}, {0, 0, 0, 7}},
        {"single sample", {-4.5f}, {0, 0, 0, -4.5f}},
        // The mean is summed in double: in float, 1 + 2^24 would lose the 1.
        {"sum kept in double", {16777216, 1, 1, 2}, {12582911.0f, -4194304, 12582911.0f, 4194305}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ComputeSoundLevels(c.samples), c.expected) << c.what;
    }
}

TEST(ComputeSoundLevels, RefusesNoSamples) {
    EXPECT_THROW(ComputeSoundLevels(std::vector<float>{}), UserError);
}

TEST(WaveScale, ExistsOnlyForAVaryingFiniteTrace) {
    const struct {
        const char* what;
        std::vector<float> samples;
        bool has_scale;
    } cases[] = {
        {"ordinary", {-1000, 3000, -500}, true},
        {"flat", {3, 3, 3}, false},
        {"single sample", {3}, false},
        {"NaN", {1, kNaN, 2}, false},
        {"NaN first", {kNaN, 1, 2}, false},
        {"infinity", {1, kInf, 2}, false},
        {"range beyond float", {kBig, -kBig, -kBig}, false},
        {"tiny variation", {0, 1e-44f}, false},
    };
    for (const auto& c : cases) {
        const SoundLevels levels = ComputeSoundLevels(c.samples);
        EXPECT_EQ(WaveScale(levels).has_value(), c.has_scale) << c.what;
        if (!c.has_scale) {
            EXPECT_THROW(CheckedWaveScale(levels), UserError) << c.what;
        }
    }
}

TEST(SoundLevelsText, ListsMinMaxBiasInSignedForm) {
    const struct {
        SoundLevels levels;
        const char* text;
    } cases[] = {
        {{2500, -1500, 2500, 500}, "Min Max Bias= -1500  2500  500"},
        {{1999, -2048.5f, 2048.5f, 12.25f}, "Min Max Bias= -2048.5  1999  12.25"},
        {{0.5f, -0.25f, 0.5f, -3}, "Min Max Bias= -.25  .5 -3"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SoundLevelsText(c.levels), c.text);
    }
}

}  // namespace
}  // namespace tremorline::sound
