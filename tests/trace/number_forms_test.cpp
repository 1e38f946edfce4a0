// SPDX-License-Identifier: MIT
#include "trace/number_forms.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace tremorline::trace {
namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

struct FloatCase {
    float value;
    const char* text;
};

TEST(FloatText, SevenSignificantDigitsInGeneralForm) {
    const FloatCase cases[] = {
        {0.01f, "0.01"},
        {100.0f, "100"},
        {-12345.0f, "-12345"},
        {45.5f, "45.5"},
        {0.0001f, "0.0001"},
        {12345678.0f, "1.234568E+07"},
        {1e-5f, "1E-05"},
        {0.0f, "0"},
        {-0.0f, "0"},
        {9999999.0f, "9999999"},
        {10000000.0f, "1E+07"},
        {-0.25f, "-0.25"},
        {8.34465013e-08f, "8.34465E-08"},
        {1.5e38f, "1.5E+38"},
        {1e-40f, "9.999946E-41"},  // subnormal: its exact value
        // Rounded once from the float's exact value 0.98999994993...; rounding
        // a shorter text again would give 0.99.
        {0.98999995f, "0.9899999"},
        // Exact ties go to the even digit.
        {1234567.5f, "1234568"},
        {1234568.5f, "1234568"},
        {kNaN, "NaN"},
        {kInf, "Infinity"},
        {-kInf, "-Infinity"},
    };
    for (const FloatCase& c : cases) {
        EXPECT_EQ(FloatText(c.value), c.text) << c.text;
    }
}

TEST(SignedNumberText, SpaceForTheSignAndNoZeroBeforeThePoint) {
    const FloatCase cases[] = {
        {-2048.5f, "-2048.5"}, {1999.0f, " 1999"},   {12.25f, " 12.25"},
        {0.5f, " .5"},         {-0.25f, "-.25"},     {-3.0f, "-3"},
        {0.0f, " 0"},          {1e-5f, " 1E-05"},    {12345678.0f, " 1.234568E+07"},
        {kNaN, " NaN"},        {-kInf, "-Infinity"},
    };
    for (const FloatCase& c : cases) {
        EXPECT_EQ(SignedNumberText(c.value), c.text) << c.text;
    }
}

TEST(MillisecondFractionText, ExactThousandthsWithoutLeadingOrTrailingZeros) {
    struct Case {
        std::int32_t milliseconds;
        const char* text;
    };
    const Case cases[] = {
        {250, ".25"},
        {7, ".007"},
        {500, ".5"},
        {1500, "1.5"},
        {465, ".465"},
        {999, ".999"},
        {1000, "1"},
        {0, ""},
        {-250, "-.25"},
        {-12345, "-12.345"},
        {std::numeric_limits<std::int32_t>::max(), "2147483.647"},
        {std::numeric_limits<std::int32_t>::min(), "-2147483.648"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MillisecondFractionText(c.milliseconds), c.text) << c.milliseconds;
    }
}

TEST(EventSecondsText, OneDecimalHalfToEvenShortestForm) {
    const FloatCase cases[] = {
        {7.0f, "07"},   {0.0f, "00"},   {7.3f, "7.3"},  {12.0f, "12"},
        {5.25f, "5.2"},                  // exact half: to the even digit
        {5.75f, "5.8"}, {5.35f, "5.3"},  // 5.35f is just below 5.35
        {7.04f, "07"},  {0.3f, "0.3"},  {59.96f, "60"}, {59.94f, "59.9"},
    };
    for (const FloatCase& c : cases) {
        EXPECT_EQ(EventSecondsText(c.value), c.text) << c.value;
    }
}

}  // namespace
}  // namespace tremorline::trace
