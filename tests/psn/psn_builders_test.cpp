// SPDX-License-Identifier: MIT
#include "psn/psn_builders.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "common/user_error.h"
#include "trace/trace_times.h"

namespace tremorline::psn {
namespace {

// A trace loaded on 1 February 2005 03:04:05.250 with an event at
// 03:05:29.1, as the trace module leaves it after a load.
trace::TraceInfo SampleInfo() {
    trace::TraceInfo info;
    info.DELTA = 0.01f;
    info.B = 0.0f;
    info.SCALE = 1.0f;
    info.NZMSEC = 250;
    info.NPTS = 100;
    info.IDEP = 5;
    info.KSTNM = "ABC     ";
    info.KCMPNM = "BHZ     ";
    info.KNETWK = "XX      ";
    info.RefTime = {2005, 2, 1, 3, 4, 5};
    info.EventTime = {2005, 2, 1, 3, 5, 29};
    info.EventFraction = 0.1f;
    info.EVDP = -12345.0f;
    info.MAG = -12345.0f;
    return info;
}

std::vector<std::uint8_t> Bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

template <std::size_t N>
std::vector<std::uint8_t> Bytes(const std::array<std::uint8_t, N>& field) {
    return {field.begin(), field.end()};
}

TEST(PsnHeader, ComponentLetterChoosesTheAngles) {
    struct Case {
        std::string kcmpnm;
        char letter;
        double incidence;
        double azimuth;
        std::string channel_id;  // four bytes
    };
    const Case cases[] = {
        {"BHZ     ", 'Z', 0, 0, std::string("BHZ\0", 4)},
        {"BHN     ", 'N', 90, 0, std::string("BHN\0", 4)},
        {"BHE     ", 'E', 90, 90, std::string("BHE\0", 4)},
        {"bhz     ", 'z', -12345, -12345, std::string("bhz\0", 4)},
        // The letter is taken at the trimmed length in the untrimmed name.
        {"  BHZ   ", 'B', -12345, -12345, std::string("BHZ\0", 4)},
        {"Q       ", 'Q', -12345, -12345, std::string("Q\0\0\0", 4)},
        {"HHZ2E   ", 'E', 90, 90, "HHZ2"},
        {"LONGCOMP", 'P', -12345, -12345, "LONG"},
    };
    for (const Case& c : cases) {
        trace::TraceInfo info = SampleInfo();
        info.KCMPNM = c.kcmpnm;
        PSNHeader header = BuildPSNHeader(info);
        EXPECT_EQ(header.ComponentLetter, c.letter) << c.kcmpnm;
        EXPECT_EQ(header.ComponentIncidence, c.incidence) << c.kcmpnm;
        EXPECT_EQ(header.ComponentAzimuth, c.azimuth) << c.kcmpnm;
        EXPECT_EQ(Bytes(header.ChannelId), Bytes(c.channel_id)) << c.kcmpnm;
    }
}

TEST(PsnHeader, SensorTypeFollowsTheRecordedQuantity) {
    const std::pair<std::int32_t, std::uint8_t> cases[] = {
        {1, 1}, {8, 1},  // acceleration
        {3, 3}, {6, 3},  // displacement
        {2, 2}, {5, 2}, {7, 2}, {50, 2}, {0, 2}, {-12345, 2},
    };
    for (const auto& [idep, type] : cases) {
        trace::TraceInfo info = SampleInfo();
        info.IDEP = idep;
        EXPECT_EQ(BuildPSNHeader(info).SensorType, type) << idep;
    }
}

TEST(PsnHeader, SensitivityOnlyFromALargeScale) {
    const std::pair<float, double> cases[] = {
        {1.0f, 0.0},
        {-12345.0f, 0.0},
        {100'000'000.0f, 0.0},
        {2e8f, 100.0 / static_cast<double>(2e8f)},
        {1e9f, 100.0 / static_cast<double>(1e9f)},
    };
    for (const auto& [scale, sensitivity] : cases) {
        trace::TraceInfo info = SampleInfo();
        info.SCALE = scale;
        EXPECT_EQ(BuildPSNHeader(info).Sensitivity, sensitivity) << scale;
    }
}

TEST(PsnHeader, TimesAndRate) {
    trace::TraceInfo info = SampleInfo();
    info.B = 12.5f;
    PSNHeader header = BuildPSNHeader(info);
    // The start time is the reference time, and B says where the first sample lies.
    EXPECT_EQ(header.StartTime, (PSNTime{2005, 2, 1, 3, 4, 5, 250'000'000}));
    EXPECT_EQ(header.StartTimeOffset, 12.5);
    // An undefined or unusable B leaves the samples at the start time.
    for (float undefined : {-12345.0f, std::nanf(""), -INFINITY}) {
        info.B = undefined;
        EXPECT_EQ(BuildPSNHeader(info).StartTimeOffset, 0.0) << undefined;
    }
    info.B = -2.5f;
    EXPECT_EQ(BuildPSNHeader(info).StartTimeOffset, -2.5);
    // 1 / DELTA in double precision from the single-precision DELTA.
    EXPECT_EQ(header.SamplesPerSecond, 100.00000223517424);
    EXPECT_EQ(header.SampleCount, 100);
}

TEST(PsnHeader, StationAndNetworkBytes) {
    struct Case {
        std::string kstnm;
        std::string knetwk;
        std::string sensor_name;  // six bytes
        std::string network;      // six bytes
    };
    const Case cases[] = {
        {"ABC     ", "XX      ", std::string("ABC\0\0\0", 6), std::string("XX\0\0\0\0", 6)},
        {"LONGNAME", "-12345  ", "LONGNA", "-12345"},
        {"  AB CD ", " XX     ", std::string("AB\0\0\0\0", 6), std::string(6, '\0')},
    };
    for (const Case& c : cases) {
        trace::TraceInfo info = SampleInfo();
        info.KSTNM = c.kstnm;
        info.KNETWK = c.knetwk;
        PSNHeader header = BuildPSNHeader(info);
        EXPECT_EQ(Bytes(header.SensorName), Bytes(c.sensor_name)) << c.kstnm;
        EXPECT_EQ(Bytes(header.Network), Bytes(c.network)) << c.knetwk;
    }
}

TEST(PsnHeader, FieldsThatCannotBeWrittenFailTheBuild) {
    struct Case {
        const char* what;
        void (*change)(trace::TraceInfo&);
        std::string message_part;
    };
    const Case cases[] = {
        {"blank component", [](trace::TraceInfo& i) { i.KCMPNM = "        "; }, "KCMPNM is blank"},
        {"empty component", [](trace::TraceInfo& i) { i.KCMPNM.clear(); }, "KCMPNM is blank"},
        {"milliseconds 2148", [](trace::TraceInfo& i) { i.NZMSEC = 2148; }, "NZMSEC (2148)"},
        {"milliseconds -2148", [](trace::TraceInfo& i) { i.NZMSEC = -2148; }, "NZMSEC (-2148)"},
        {"milliseconds unset", [](trace::TraceInfo& i) { i.NZMSEC = -12345; }, "NZMSEC (-12345)"},
        // Only a finite interval above 0 gives a usable sample rate.
        {"interval 0", [](trace::TraceInfo& i) { i.DELTA = 0.0f; }, "DELTA is 0,"},
        {"interval NaN", [](trace::TraceInfo& i) { i.DELTA = std::nanf(""); },
         "DELTA is not a number (NaN),"},
        {"interval unset", [](trace::TraceInfo& i) { i.DELTA = -12345.0f; },
         "DELTA is -12345 (undefined),"},
        {"interval -1", [](trace::TraceInfo& i) { i.DELTA = -1.0f; }, "DELTA is -1,"},
        {"interval +Inf", [](trace::TraceInfo& i) { i.DELTA = INFINITY; }, "DELTA is infinite,"},
        {"interval -Inf", [](trace::TraceInfo& i) { i.DELTA = -INFINITY; },
         "DELTA is minus infinity,"},
    };
    for (const Case& c : cases) {
        trace::TraceInfo info = SampleInfo();
        c.change(info);
        try {
            BuildPSNHeader(info);
            ADD_FAILURE() << c.what << " was accepted";
        } catch (const UserError& error) {
            EXPECT_NE(std::string(error.what()).find(c.message_part), std::string::npos)
                << c.what << ": " << error.what();
        }
    }
    // The extremes that still fit.
    trace::TraceInfo info = SampleInfo();
    info.NZMSEC = 2147;
    EXPECT_EQ(BuildPSNHeader(info).StartTime.Nanoseconds, 2'147'000'000);
    info.NZMSEC = -2147;
    EXPECT_EQ(BuildPSNHeader(info).StartTime.Nanoseconds, -2'147'000'000);
    info.DELTA = 1e-45f;  // the smallest positive float still gives a finite rate
    EXPECT_EQ(BuildPSNHeader(info).SamplesPerSecond, 1.0 / static_cast<double>(1e-45f));
}

TEST(PsnEventBlock, DepthInKilometres) {
    const std::pair<float, double> cases[] = {
        {10.0f, 10.0},    {799.9f, static_cast<double>(799.9f)},
        {800.0f, 0.8},    {33000.0f, 33.0},
        {-12345.0f, 0.0}, {0.0f, 0.0},
    };
    for (const auto& [evdp, depth] : cases) {
        trace::TraceInfo info = SampleInfo();
        info.EVDP = evdp;
        EXPECT_EQ(BuildPSNEventBlock(info).EventDepth, depth) << evdp;
    }
}

TEST(PsnEventBlock, MagnitudeInHundredths) {
    // clang-format off
    const std::pair<float, std::int16_t> cases[] = {
        {-12345.0f, 100},
        {2.5f, 250},
        {4.567f, 457},
        {0.125f, 12},  // exactly 12.5: half to even
        {0.375f, 38},  // exactly 37.5: half to even
        {4.565f, 457},  // 456.500005..., just above the half
        {2.865f, 287},  // 286.500005..., just above the half
        {-1.5f, -150},
        {327.67f, 32767},  // 32767.0013...
        {-327.68f, -32768},  // -32767.9993...
        {0.0f, 0},
    };
    // clang-format on
    for (const auto& [mag, hundredths] : cases) {
        trace::TraceInfo info = SampleInfo();
        info.MAG = mag;
        EXPECT_EQ(BuildPSNEventBlock(info).Magnitude, hundredths) << mag;
    }
    for (float mag : {327.68f, -327.69f, 1e9f}) {
        trace::TraceInfo info = SampleInfo();
        info.MAG = mag;
        EXPECT_THROW(BuildPSNEventBlock(info), UserError) << mag;
    }
}

TEST(PsnEventBlock, OriginTimeKeptToTenthsWithTheWholeSecondCarried) {
    struct Case {
        trace::DateTime event;
        float fraction;
        PSNTime origin;
    };
    const Case cases[] = {
        {{2005, 2, 1, 3, 5, 29}, 0.1f, {2005, 2, 1, 3, 5, 29, 100'000'000}},
        {{2005, 2, 1, 3, 5, 29}, 0.0f, {2005, 2, 1, 3, 5, 29, 0}},
        {{2005, 2, 1, 3, 5, 29}, 0.25f, {2005, 2, 1, 3, 5, 29, 200'000'000}},
        {{2005, 2, 1, 3, 5, 29}, 0.35f, {2005, 2, 1, 3, 5, 29, 400'000'000}},
        {{2005, 2, 1, 3, 5, 29}, 0.94f, {2005, 2, 1, 3, 5, 29, 900'000'000}},
        // Ten tenths are a whole second, carried as far as it goes.
        {{2005, 2, 1, 3, 5, 29}, 0.96f, {2005, 2, 1, 3, 5, 30, 0}},
        {{2005, 2, 1, 3, 5, 59}, 0.99f, {2005, 2, 1, 3, 6, 0, 0}},
        {{2005, 2, 1, 3, 59, 59}, 0.99f, {2005, 2, 1, 4, 0, 0, 0}},
        {{2005, 2, 28, 23, 59, 59}, 0.99f, {2005, 3, 1, 0, 0, 0, 0}},
        {{2004, 2, 28, 23, 59, 59}, 0.99f, {2004, 2, 29, 0, 0, 0, 0}},
        {{2000, 2, 29, 23, 59, 59}, 0.99f, {2000, 3, 1, 0, 0, 0, 0}},
        {{1900, 2, 28, 23, 59, 59}, 0.99f, {1900, 3, 1, 0, 0, 0, 0}},
        {{2005, 4, 30, 23, 59, 59}, 0.99f, {2005, 5, 1, 0, 0, 0, 0}},
        {{2005, 12, 31, 23, 59, 59}, 0.99f, {2006, 1, 1, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        trace::TraceInfo info = SampleInfo();
        info.EventTime = c.event;
        info.EventFraction = c.fraction;
        PSNEventBlock block = BuildPSNEventBlock(info);
        EXPECT_EQ(block.OriginTime, c.origin)
            << c.event.year << "-" << c.event.month << "-" << c.event.day << " " << c.event.second
            << " + " << c.fraction;
    }
}

// Milliseconds beyond a second reach the origin as whole seconds.
TEST(PsnEventBlock, OriginFromMillisecondsBeyondASecond) {
    const std::pair<std::int32_t, PSNTime> cases[] = {
        {2100, {2005, 2, 1, 3, 4, 7, 100'000'000}},
        {-2100, {2005, 2, 1, 3, 4, 2, 900'000'000}},
    };
    for (const auto& [msec, origin] : cases) {
        trace::TraceInfo info = SampleInfo();
        info.NZYEAR = 2005;
        info.NZJDAY = 32;
        info.NZHOUR = 3;
        info.NZMIN = 4;
        info.NZSEC = 5;
        info.NZMSEC = msec;
        info.O = 0.0f;
        trace::ComputeTraceTimes(info);
        EXPECT_EQ(BuildPSNEventBlock(info).OriginTime, origin) << msec;
    }
}

TEST(PsnEventBlock, OriginCarriedPastTheYear9999Fails) {
    trace::TraceInfo info = SampleInfo();
    info.EventTime = {9999, 12, 31, 23, 59, 59};
    info.EventFraction = 0.99f;
    EXPECT_THROW(BuildPSNEventBlock(info), UserError);
}

TEST(PsnEventBlock, NoEventTimeLeavesTheOriginZeroButKeepsTheEvent) {
    trace::TraceInfo info = SampleInfo();  // event fields of an earlier trace
    info.NoEventTime = true;
    info.EVLA = 10.5f;
    info.EVDP = 10.0f;
    info.MAG = 2.5f;
    PSNEventBlock block = BuildPSNEventBlock(info);
    EXPECT_EQ(block.OriginTime, PSNTime{});
    EXPECT_EQ(block.EventLatitude, 10.5);
    EXPECT_EQ(block.EventDepth, 10.0);
    EXPECT_EQ(block.Magnitude, 250);
}

TEST(TextToBytes, CutAtTheFirstSpaceOrNulAndAtTheEnd) {
    const std::pair<std::string, std::string> cases[] = {
        {"ABC", std::string("ABC\0", 4)},    {"ABCDEFG", "ABCD"},
        {"AB CD", std::string("AB\0\0", 4)}, {std::string("A\0B", 3), std::string("A\0\0\0", 4)},
        {" AB", std::string(4, '\0')},       {"", std::string(4, '\0')},
    };
    for (const auto& [text, expected] : cases) {
        std::array<std::uint8_t, 4> bytes;
        bytes.fill(0xEE);  // whatever an earlier trace left
        TextToBytes(text, bytes);
        EXPECT_EQ(Bytes(bytes), Bytes(expected)) << text;
    }
}

}  // namespace
}  // namespace tremorline::psn
