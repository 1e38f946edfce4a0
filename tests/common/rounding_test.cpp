// SPDX-License-Identifier: MIT
#include "common/rounding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tremorline {
namespace {

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
    struct Case {
        double value;
        double rounded;
    };
    const Case cases[] = {
        {2.5, 2},       {3.5, 4},         {-2.5, -2},       {-3.5, -4},
        {0.5, 0},       {1.5, 2},         {2.4999, 2},      {2.5001, 3},
        {-0.4, 0},      {32760.5, 32760}, {4.5e15, 4.5e15}, {0.49999999999999994, 0},
        {1e300, 1e300},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RoundHalfEven(c.value), c.rounded) << c.value;
    }
    EXPECT_TRUE(std::isnan(RoundHalfEven(std::nan(""))));
}

TEST(Rounding, NarrowingRefusesWhatDoesNotFit) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(RoundToInt<std::int16_t>(32767.4), 32767);
    EXPECT_EQ(RoundToInt<std::int16_t>(-32768.5), -32768);  // half to even stays in range
    EXPECT_EQ(RoundToInt<std::int16_t>(32767.5), std::nullopt);
    EXPECT_EQ(RoundToInt<std::int32_t>(2147483647.0), 2147483647);
    EXPECT_EQ(RoundToInt<std::int32_t>(2147483648.0), std::nullopt);
    EXPECT_EQ(RoundToInt<std::int32_t>(-2147483648.0), -2147483647 - 1);
    EXPECT_EQ(RoundToInt<std::int64_t>(9.2233720368547758e18), std::nullopt);  // 2^63
    EXPECT_EQ(RoundToInt<std::int32_t>(std::nan("")), std::nullopt);
    EXPECT_EQ(RoundToInt<std::int32_t>(inf), std::nullopt);
    EXPECT_EQ(RoundToInt<std::int32_t>(-inf), std::nullopt);
    EXPECT_EQ(NarrowWhole<std::int32_t>(1.5), std::nullopt);
}

}  // namespace
}  // namespace tremorline
