// SPDX-License-Identifier: MIT
#include "trace/axes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "trace/trace_times.h"

namespace tremorline::trace {
namespace {

TEST(Axes, TickStepsAreOneTwoOrFiveTimesAPowerOfTen) {
    struct Case {
        double span;
        double ticks;
        double step;
    };
    const Case cases[] = {
        {100, 10, 10},   {4200, 14, 500}, {12.5, 10, 2},
        {0.07, 7, 0.01}, {3, 10, 0.5},    {1e9, 10, 1e8},
        {0, 10, 1},      {-5, 10, 1},     {std::numeric_limits<double>::quiet_NaN(), 10, 1},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(NiceTickStep(c.span, c.ticks), c.step) << c.span;
    }
}

TEST(Axes, NumbersAreWrittenWithTheDigitsTheyNeed) {
    EXPECT_EQ(TickText(12.5, 0.5), "12.5");
    EXPECT_EQ(TickText(40, 20), "40");
    EXPECT_EQ(TickText(0.30000000000000004, 0.1), "0.3");
    EXPECT_EQ(TickText(-0.0000001, 0.1), "0");
    EXPECT_EQ(TickText(-1500, 500), "-1500");
    EXPECT_EQ(SpanText(12.5, 4200, true), "12.5 s of 4200 s");
    EXPECT_EQ(SpanText(0.0123, 86400.004, true), "0.0123 s of 86400 s");
    EXPECT_EQ(SpanText(1.25, 3.5, true), "1.25 s of 3.5 s");
    EXPECT_EQ(SpanText(125, 42000, false), "125 samples of 42000 samples");
}

TEST(Axes, TheTimeScaleFallsBackToSampleNumbersWithoutAUsableDelta) {
    const TimeScale scale = TraceTimeScale(10.0f, 0.5f);
    EXPECT_TRUE(scale.in_seconds);
    EXPECT_DOUBLE_EQ(scale.SecondsAt(4), 12.0);
    EXPECT_DOUBLE_EQ(scale.PositionAt(12.0), 4.0);
    EXPECT_DOUBLE_EQ(TraceTimeScale(-12345.0f, 0.5f).begin, 0.0);
    for (const float delta : {0.0f, -0.01f, std::numeric_limits<float>::infinity()}) {
        const TimeScale samples = TraceTimeScale(10.0f, delta);
        EXPECT_FALSE(samples.in_seconds) << delta;
        EXPECT_DOUBLE_EQ(samples.SecondsAt(7), 7.0) << delta;
    }
}

TEST(Axes, UtcTimeCountsFromTheReferenceTimeAndItsMilliseconds) {
    TraceInfo info;
    info.NZYEAR = 2005;
    info.NZJDAY = 32;
    info.NZHOUR = 3;
    info.NZMIN = 4;
    info.NZSEC = 5;
    info.NZMSEC = 250;
    info.O = -12345.0f;
    EXPECT_FALSE(UtcTimeText(info, 0));  // times not computed yet
    ComputeTraceTimes(info);
    EXPECT_EQ(UtcTimeText(info, 0), "2005-02-01 03:04:05.250");
    EXPECT_EQ(UtcTimeText(info, -5.3), "2005-02-01 03:03:59.950");
    EXPECT_EQ(UtcTimeText(info, 86400 * 28 + 0.75), "2005-03-01 03:04:06.000");
    EXPECT_FALSE(UtcTimeText(info, 1e12));  // beyond the year 9999
    EXPECT_FALSE(UtcTimeText(info, std::numeric_limits<double>::quiet_NaN()));
}

TEST(Axes, TheAmplitudeLabelNamesTheUnitAndTheDefinedExtremes) {
    EXPECT_EQ(AmplitudeLabel(5, -12345.0f, -12345.0f), "counts");
    EXPECT_EQ(AmplitudeLabel(6, -12345.0f, 3.5f), "nm  DEPMAX 3.5");
    EXPECT_EQ(AmplitudeLabel(7, -12.5f, 40.0f), "nm/s  DEPMIN -12.5  DEPMAX 40");
    EXPECT_EQ(AmplitudeLabel(8, -12345.0f, -12345.0f), "nm/s\u00b2");
    EXPECT_EQ(AmplitudeLabel(50, std::nanf(""), -12345.0f), "volts");
}

}  // namespace
}  // namespace tremorline::trace
