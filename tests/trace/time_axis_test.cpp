// SPDX-License-Identifier: MIT
#include "trace/time_axis.h"

#include <gtest/gtest.h>

#include <vector>

#include "sac/sac_header.h"
#include "trace/trace_times.h"

namespace tremorline::trace {
namespace {

// Reference time 2005-02-01 03:04:05.250 unless told otherwise.
TraceInfo Reference(std::int32_t jday = 32, std::int32_t hour = 3, std::int32_t msec = 250) {
    TraceInfo info;
    info.NZYEAR = 2005;
    info.NZJDAY = jday;
    info.NZHOUR = hour;
    info.NZMIN = 4;
    info.NZSEC = 5;
    info.NZMSEC = msec;
    info.O = sac::kUndefined;
    ComputeTraceTimes(info);
    return info;
}

TEST(TimeAxis, StepsAreRoundClockIntervals) {
    struct Case {
        double span;
        double ticks;
        double step;
    };
    const Case cases[] = {
        {0.01, 10, 0.001},
        {3, 10, 0.5},
        {40, 10, 5},
        {100, 8, 15},
        {250, 10, 30},
        {1000, 10, 120},
        {4200, 10, 600},
        {30000, 10, 3600},
        {86400, 10, 10800},
        {86400 * 3, 10, 43200},
        {86400 * 40, 10, 86400 * 5},
        {1e-9, 10, 1e-6},
        {0, 10, 1},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(ClockTickStep(c.span, c.ticks), c.step) << c.span;
    }
}

// Ticks fall on round UTC times, not on round offsets from the reference
// time, and carry the date at the first tick and where it changes.
TEST(TimeAxis, TicksFallOnRoundClockTimesWithTheDateWhereItChanges) {
    struct Case {
        const char* what;
        TraceInfo info;
        double from;
        double to;
        double max_ticks;
        std::vector<ClockTick> expected;
    };
    const Case cases[] = {
        {"seconds, the reference at 03:04:05.250",
         Reference(),
         0,
         12,
         4,
         {{4.75, "03:04:10", "2005-02-01"}, {9.75, "03:04:15", ""}}},
        {"fractions of a second",
         Reference(),
         0,
         1,
         4,
         {{0.25, "03:04:05.5", "2005-02-01"}, {0.75, "03:04:06.0", ""}}},
        {"milliseconds",
         Reference(),
         0.0001,
         0.0059,
         3,
         {{0.002, "03:04:05.252", "2005-02-01"}, {0.004, "03:04:05.254", ""}}},
        {"hours across midnight",
         Reference(32, 21, 0),
         0,
         5 * 3600,
         3,
         {{3355, "22:00", "2005-02-01"}, {10555, "00:00", "2005-02-02"}, {17755, "02:00", ""}}},
        {"before the reference time",
         Reference(32, 0, 0),
         -600,
         -100,
         2,
         {{-545, "23:55", "2005-01-31"}, {-245, "00:00", "2005-02-01"}}},
    };
    for (const Case& c : cases) {
        const std::vector<ClockTick> ticks = ClockTicks(c.info, c.from, c.to, c.max_ticks);
        ASSERT_EQ(ticks.size(), c.expected.size()) << c.what;
        for (std::size_t k = 0; k < ticks.size(); ++k) {
            EXPECT_NEAR(ticks[k].seconds, c.expected[k].seconds, 1e-9) << c.what << k;
            EXPECT_EQ(ticks[k].time, c.expected[k].time) << c.what << k;
            EXPECT_EQ(ticks[k].date, c.expected[k].date) << c.what << k;
        }
    }
    EXPECT_TRUE(ClockTicks(TraceInfo{}, 0, 10, 5).empty());  // times never computed
    EXPECT_TRUE(ClockTicks(Reference(), 10, 0, 5).empty());
}

}  // namespace
}  // namespace tremorline::trace
