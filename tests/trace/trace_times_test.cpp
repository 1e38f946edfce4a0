// SPDX-License-Identifier: MIT
#include "trace/trace_times.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <span>
#include <string>

#include "common/user_error.h"
#include "sac/sac_loader.h"
#include "support/sac_builder.h"

namespace tremorline::trace {
namespace {

// A reference time of 1 February 2005 03:04:05.250 unless a case says otherwise.
struct Reference {
    std::int32_t year = 2005;
    std::int32_t jday = 32;
    std::int32_t hour = 3;
    std::int32_t minute = 4;
    std::int32_t second = 5;
    std::int32_t msec = 250;
    float o = sac::kUndefined;
};

TraceInfo InfoFor(const Reference& r) {
    TraceInfo info;
    info.NZYEAR = r.year;
    info.NZJDAY = r.jday;
    info.NZHOUR = r.hour;
    info.NZMIN = r.minute;
    info.NZSEC = r.second;
    info.NZMSEC = r.msec;
    info.O = r.o;
    return info;
}

TraceInfo Computed(const Reference& r) {
    TraceInfo info = InfoFor(r);
    ComputeTraceTimes(info);
    return info;
}

TEST(AddSeconds, CarriesThroughTheCalendarWithinTheYears100To9999) {
    struct Case {
        DateTime start;
        std::int64_t seconds;
        DateTime result;
    };
    const Case cases[] = {
        {{2005, 2, 1, 3, 5, 29}, 1, {2005, 2, 1, 3, 5, 30}},
        {{2005, 12, 31, 23, 59, 59}, 1, {2006, 1, 1, 0, 0, 0}},
        {{2004, 2, 28, 23, 59, 59}, 1, {2004, 2, 29, 0, 0, 0}},
        {{1900, 2, 28, 23, 59, 59}, 1, {1900, 3, 1, 0, 0, 0}},
        {{2000, 3, 1, 0, 0, 0}, -1, {2000, 2, 29, 23, 59, 59}},
        {{2005, 2, 1, 3, 4, 5}, -86400 * 365, {2004, 2, 2, 3, 4, 5}},
        {{100, 1, 1, 0, 0, 0}, 0, {100, 1, 1, 0, 0, 0}},
        {{9999, 12, 31, 23, 59, 58}, 1, {9999, 12, 31, 23, 59, 59}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AddSeconds(c.start, c.seconds), c.result) << c.start.year << " + " << c.seconds;
    }
    EXPECT_THROW(AddSeconds({9999, 12, 31, 23, 59, 59}, 1), UserError);
    EXPECT_THROW(AddSeconds({100, 1, 1, 0, 0, 0}, -1), UserError);
    EXPECT_THROW(AddSeconds({2005, 1, 1, 0, 0, 0}, std::numeric_limits<std::int64_t>::min()),
                 UserError);
}

// The summaries of real files show most copied fields; these are the others.
TEST(CopyTraceInfo, TakesTheFieldsTheSummaryDoesNotShow) {
    testing::SacBuilder builder;
    builder.Real(sac::real::MAG, 4.5f).Real(sac::real::SCALE, 2.0f);
    std::vector<unsigned char> bytes = builder.Bytes();
    TraceInfo info;
    CopyTraceInfo(sac::ParseSacHeader(std::span<const unsigned char, sac::kHeaderSize>(
                                          bytes.data(), sac::kHeaderSize),
                                      sac::ByteOrder::Little),
                  info);
    EXPECT_EQ(info.MAG, 4.5f);
    EXPECT_EQ(info.SCALE, 2.0f);
    EXPECT_EQ(info.NPTS, 100);
    EXPECT_EQ(info.NZJDAY, 32);
}

TEST(ComputeTraceTimes, ReferenceTimeFromYearAndDayOfYear) {
    struct Case {
        std::int32_t year;
        std::int32_t jday;
        const char* text;
    };
    const Case cases[] = {
        {2005, 32, "02/01/2005 03:04:05"},  // milliseconds are in neither form
        {2005, 60, "03/01/2005 03:04:05"},
        {2004, 60, "02/29/2004 03:04:05"},
        {2000, 60, "02/29/2000 03:04:05"},  // divisible by 400: leap
        {1900, 60, "03/01/1900 03:04:05"},  // divisible by 100 only: not leap
        {2005, 0, "12/31/2004 03:04:05"},
        {2005, 366, "01/01/2006 03:04:05"},
        {2004, 366, "12/31/2004 03:04:05"},
        {2005, 1366, "09/27/2008 03:04:05"},  // the last day the hour count allows
        {2005, -1364, "04/07/2001 03:04:05"},
        // Two-digit years: 0-29 are 2000-2029, 30-99 are 1930-1999.
        {99, 1, "01/01/1999 03:04:05"},
        {5, 1, "01/01/2005 03:04:05"},
        {0, 1, "01/01/2000 03:04:05"},
        {29, 1, "01/01/2029 03:04:05"},
        {30, 1, "01/01/1930 03:04:05"},
        {100, 1, "01/01/100 03:04:05"},
        {9999, 365, "12/31/9999 03:04:05"},
    };
    for (const Case& c : cases) {
        TraceInfo info = Computed({.year = c.year, .jday = c.jday});
        EXPECT_EQ(info.RefTimeText(), c.text) << c.year << " day " << c.jday;
        EXPECT_TRUE(info.NoEventTime);
    }
    TraceInfo info = Computed({});
    EXPECT_EQ(info.YearStartTime, (DateTime{2005, 1, 1, 3, 4, 5}));
    EXPECT_EQ(info.RefTime, (DateTime{2005, 2, 1, 3, 4, 5}));
}

TEST(ComputeTraceTimes, EventTimeFromOffsetAndMilliseconds) {
    struct Case {
        float o;
        std::int32_t msec;
        std::int64_t whole_seconds;
        float fraction;
        DateTime event;
        const char* text;
    };
    const Case cases[] = {
        {83.6f, 500, 84, 0.1f, {2005, 2, 1, 3, 5, 29}, "02/01/2005 03:05:29.1"},
        // 83.6 - 84 + 0.1 is below 0: one second is borrowed.
        {83.6f, 100, 83, 0.7f, {2005, 2, 1, 3, 5, 28}, "02/01/2005 03:05:28.7"},
        {10.4f, 900, 11, 0.3f, {2005, 2, 1, 3, 4, 16}, "02/01/2005 03:04:16.3"},
        {-0.2f, 0, -1, 0.8f, {2005, 2, 1, 3, 4, 4}, "02/01/2005 03:04:4.8"},
        {0.0f, 0, 0, 0.0f, {2005, 2, 1, 3, 4, 5}, "02/01/2005 03:04:05"},
        {2.5f, 0, 2, 0.5f, {2005, 2, 1, 3, 4, 7}, "02/01/2005 03:04:7.5"},  // half to even
        {0.25f, 0, 0, 0.25f, {2005, 2, 1, 3, 4, 5}, "02/01/2005 03:04:5.2"},
        // The rounded seconds are not carried into the minute.
        {54.96f, 0, 54, 0.96f, {2005, 2, 1, 3, 4, 59}, "02/01/2005 03:04:60"},
        // Offsets beyond 16 bits of seconds are described, not refused.
        {40000.0f, 0, 40000, 0.0f, {2005, 2, 1, 14, 10, 45}, "02/01/2005 14:10:45"},
        {-40000.0f, 0, -40000, 0.0f, {2005, 1, 31, 15, 57, 25}, "01/31/2005 15:57:25"},
        {1e9f, 0, 1000000000, 0.0f, {2036, 10, 10, 4, 50, 45}, "10/10/2036 04:50:45"},
        {-1e9f, 0, -1000000000, 0.0f, {1973, 5, 26, 1, 17, 25}, "05/26/1973 01:17:25"},
    };
    for (const Case& c : cases) {
        TraceInfo info = Computed({.msec = c.msec, .o = c.o});
        SCOPED_TRACE(c.text);
        EXPECT_FALSE(info.NoEventTime);
        EXPECT_EQ(info.EventWholeSeconds, c.whole_seconds);
        EXPECT_NEAR(info.EventFraction, c.fraction, 1e-5);
        EXPECT_EQ(info.EventTime, c.event);
        EXPECT_EQ(info.EventTimeText(), c.text);
    }
}

// Whatever NZMSEC holds, the fraction stays in [0, 1) and the event time plus
// the fraction is the reference time plus NZMSEC / 1000 plus O.
TEST(ComputeTraceTimes, FractionStaysWithinASecondForAnyMilliseconds) {
    struct Case {
        float o;
        std::int32_t msec;
        std::int64_t whole_seconds;
        float fraction;
        const char* text;
    };
    const Case cases[] = {
        {0.0f, -12345, -13, 0.655f, "02/01/2005 03:03:52.7"},
        {0.5f, -12345, -12, 0.155f, "02/01/2005 03:03:53.2"},
        {0.0f, 2100, 2, 0.1f, "02/01/2005 03:04:7.1"},
        {0.5f, 2100, 2, 0.6f, "02/01/2005 03:04:7.6"},
        {0.0f, 999, 0, 0.999f, "02/01/2005 03:04:06"},
        {0.5f, 999, 1, 0.499f, "02/01/2005 03:04:6.5"},
        // Just below a whole second: 1 - 1e-9 is 1 in single precision, so
        // the second is carried rather than kept as a fraction of 1.
        {-1e-9f, 0, 0, 0.0f, "02/01/2005 03:04:05"},
        {-1e-9f, -3000, -3, 0.0f, "02/01/2005 03:04:02"},
    };
    for (const Case& c : cases) {
        TraceInfo info = Computed({.msec = c.msec, .o = c.o});
        SCOPED_TRACE(c.text);
        EXPECT_EQ(info.EventWholeSeconds, c.whole_seconds);
        EXPECT_GE(info.EventFraction, 0.0f);
        EXPECT_LT(info.EventFraction, 1.0f);
        EXPECT_NEAR(info.EventFraction, c.fraction, 1e-5);
        EXPECT_EQ(info.EventTimeText(), c.text);
    }
}

TraceInfo WithEarlierEvent(const Reference& r) {
    TraceInfo info = InfoFor(r);
    info.EventWholeSeconds = 77;
    info.EventFraction = 0.5f;
    info.EventTime = DateTime{1999, 1, 2, 3, 4, 5};
    return info;
}

void ExpectEventFieldsKept(const TraceInfo& info) {
    EXPECT_EQ(info.EventWholeSeconds, 77);
    EXPECT_EQ(info.EventFraction, 0.5f);
    EXPECT_EQ(info.EventTime, (DateTime{1999, 1, 2, 3, 4, 5}));
}

TEST(ComputeTraceTimes, UndefinedOffsetKeepsTheEventFields) {
    TraceInfo info = WithEarlierEvent({.o = -12345.0f});
    ComputeTraceTimes(info);
    EXPECT_TRUE(info.NoEventTime);
    EXPECT_EQ(info.RefTimeText(), "02/01/2005 03:04:05");
    ExpectEventFieldsKept(info);
}

TEST(ComputeTraceTimes, RefusesTimesThatAreNoDate) {
    struct Case {
        Reference reference;
        const char* message;
    };
    const Case cases[] = {
        {{.year = -12345}, "The reference time is not a valid date (NZYEAR -12345)."},
        {{.year = 10000}, "The reference time is not a valid date (NZYEAR 10000)."},
        {{.hour = 24}, "The reference time is not a valid time of day (NZHOUR 24)."},
        {{.hour = -1}, "The reference time is not a valid time of day (NZHOUR -1)."},
        {{.minute = 60}, "The reference time is not a valid time of day (NZMIN 60)."},
        {{.second = 60}, "The reference time is not a valid time of day (NZSEC 60)."},
        {{.second = -12345}, "The reference time is not a valid time of day (NZSEC -12345)."},
        {{.jday = -12345}, "The reference day of the year is out of range (NZJDAY -12345)."},
        {{.jday = 1367}, "The reference day of the year is out of range (NZJDAY 1367)."},
        {{.jday = -1365}, "The reference day of the year is out of range (NZJDAY -1365)."},
        {{.jday = std::numeric_limits<std::int32_t>::min()},
         "The reference day of the year is out of range (NZJDAY -2147483648)."},
        {{.year = 100, .jday = 0},
         "The reference time falls outside the years 100 to 9999 (NZYEAR 100, NZJDAY 0)."},
        {{.year = 9999, .jday = 366},
         "The reference time falls outside the years 100 to 9999 (NZYEAR 9999, NZJDAY 366)."},
    };
    for (const Case& c : cases) {
        TraceInfo info = InfoFor(c.reference);
        try {
            ComputeTraceTimes(info);
            ADD_FAILURE() << "accepted: " << c.message;
        } catch (const UserError& error) {
            EXPECT_STREQ(error.what(), c.message);
        }
    }
}

TEST(ComputeTraceTimes, RefusesEventOffsetsBeyondTheCalendarOrNumbers) {
    constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
    constexpr float kInf = std::numeric_limits<float>::infinity();
    struct Case {
        Reference reference;
        const char* message;
    };
    const Case cases[] = {
        {{.o = kNaN}, "The event offset is not a usable number of seconds (O NaN)."},
        {{.o = kInf}, "The event offset is not a usable number of seconds (O Infinity)."},
        {{.o = -kInf}, "The event offset is not a usable number of seconds (O -Infinity)."},
        {{.o = 1e19f}, "The event offset is not a usable number of seconds (O 1E+19)."},
        {{.o = 3e11f}, "The event time falls outside the years 100 to 9999 (O 3E+11)."},
        {{.o = -1e11f}, "The event time falls outside the years 100 to 9999 (O -1E+11)."},
        {{.o = 9e18f}, "The event time falls outside the years 100 to 9999 (O 9E+18)."},
        {{.o = -9e18f}, "The event time falls outside the years 100 to 9999 (O -9E+18)."},
        // -2^63 seconds, less the borrowed second of negative milliseconds.
        {{.msec = -1, .o = -9.223372e18f},
         "The event time falls outside the years 100 to 9999 (O -9.223372E+18)."},
    };
    for (const Case& c : cases) {
        // The reference time is still computed; the event keeps its old values.
        TraceInfo info = WithEarlierEvent(c.reference);
        try {
            ComputeTraceTimes(info);
            ADD_FAILURE() << "accepted: " << c.message;
        } catch (const UserError& error) {
            EXPECT_STREQ(error.what(), c.message);
        }
        EXPECT_EQ(info.RefTimeText(), "02/01/2005 03:04:05");
        EXPECT_EQ(info.EventTime, (DateTime{1999, 1, 2, 3, 4, 5}));
    }
}

}  // namespace
}  // namespace tremorline::trace
