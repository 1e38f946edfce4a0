// SPDX-License-Identifier: MIT
#include "trace/span.h"
#include "trace/span_texts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "common/user_error.h"
#include "sac/sac_header.h"
#include "trace/trace_times.h"

namespace tremorline::trace {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// 2005-02-01 03:04:05.250, as the test traces' default header.
TraceInfo ReferenceInfo() {
    TraceInfo info;
    info.NZYEAR = 2005;
    info.NZJDAY = 32;
    info.NZHOUR = 3;
    info.NZMIN = 4;
    info.NZSEC = 5;
    info.NZMSEC = 250;
    info.O = sac::kUndefined;
    ComputeTraceTimes(info);
    return info;
}

LoadedTrace MemoryTrace(std::vector<float> samples, float b, float delta) {
    LoadedTrace trace;
    trace.title = "mem.sac";
    trace.info = ReferenceInfo();
    trace.info.B = b;
    trace.info.DELTA = delta;
    trace.info.NPTS = static_cast<std::int32_t>(samples.size());
    trace.header.reals.fill(sac::kUndefined);
    trace.header.reals[sac::real::B] = b;
    trace.header.reals[sac::real::DELTA] = delta;
    trace.header.reals[sac::real::DEPMIN] = -99.0f;
    trace.header.reals[sac::real::O] = 2.5f;
    trace.header.ints[sac::integer::NPTS] = trace.info.NPTS;
    trace.samples = std::make_shared<MemorySampleSource>(std::move(samples));
    return trace;
}

// Which samples a span takes, with sample i at B + i * DELTA in double
// precision from the single-precision header values. The DELTAs are not
// powers of two, so no sample time is the decimal the user would type.
TEST(Span, TakesTheSamplesWhoseTimesFallWithinBothEdges) {
    struct Case {
        const char* what;
        float b;
        float delta;
        std::size_t count;
        double start;
        double end;
        SampleSpan expected;
    };
    // 0.01f is 0.0099999998: sample 100 stands just before 1 s, sample 300
    // just before 3 s.
    const double t3 = static_cast<double>(0.1f) * 3;  // sample 3 at DELTA 0.1f, exactly
    const double t7 = static_cast<double>(0.1f) * 7;
    const Case cases[] = {
        {"sample 50 lies just before 0.5 s", 0.0f, 0.01f, 1000, 0.5, 1.5, {51, 100}},
        {"sample just below 1 s is in [0, 1]", 0.0f, 0.01f, 1000, 0.0, 1.0, {0, 101}},
        {"sample just below 1 s is not in [1, 2]", 0.0f, 0.01f, 1000, 1.0, 2.0, {101, 100}},
        {"0.3 typed: sample 3 lies past it", 0.0f, 0.1f, 10, 0.0, 0.3, {0, 3}},
        {"edges on sample times are inclusive", 0.0f, 0.1f, 10, t3, t7, {3, 5}},
        {"one double past a sample leaves it out",
         0.0f,
         0.1f,
         10,
         std::nextafter(t3, kInf),
         std::nextafter(t7, -kInf),
         {4, 3}},
        {"start equal to end on a sample", 0.0f, 0.1f, 10, t3, t3, {3, 1}},
        {"start equal to end between samples", 0.0f, 0.1f, 10, 0.35, 0.35, {0, 0}},
        {"negative B; sample 6 lies just past 0.5 s", -1.3f, 0.3f, 20, -1.0, 0.5, {1, 5}},
        {"span wider than the trace", 10.0f, 0.025f, 40, -kInf, kInf, {0, 40}},
        {"span before the trace", 10.0f, 0.025f, 40, 0.0, 9.99, {0, 0}},
        {"span after the trace", 10.0f, 0.025f, 40, 11.0, 12.0, {40, 0}},
        {"span between two samples", 10.0f, 0.025f, 40, 10.01, 10.02, {0, 0}},
        {"start after end", 10.0f, 0.025f, 40, 10.5, 10.2, {0, 0}},
        // The last of 1e8 samples stands at 999999.9676 s, the one before at 999999.9576 s.
        {"long trace", 0.0f, 0.01f, 100'000'000, 999'999.96, kInf, {100'000'000 - 1, 1}},
    };
    for (const Case& c : cases) {
        const TimeScale scale = TraceTimeScale(c.b, c.delta);
        const SampleSpan span = SamplesBetween(scale, c.count, c.start, c.end);
        EXPECT_EQ(span.count, c.expected.count) << c.what;
        if (c.expected.count > 0) {
            EXPECT_EQ(span.first, c.expected.first) << c.what;
        }
        for (const std::size_t i : {span.first, span.first + span.count - 1}) {
            if (span.count > 0) {
                EXPECT_GE(scale.SecondsAt(static_cast<double>(i)), c.start) << c.what;
                EXPECT_LE(scale.SecondsAt(static_cast<double>(i)), c.end) << c.what;
            }
        }
    }
}

TEST(Span, ReadsTimesInEitherForm) {
    const TraceInfo info = ReferenceInfo();
    struct Case {
        const char* text;
        double seconds;  // after 2005-02-01 03:04:05.250
    };
    const Case good[] = {
        {"12.5", 12.5},
        {"-3", -3},
        {"+0.25", 0.25},
        {".5", 0.5},
        {"1e2", 100},
        {"2005-02-01T03:04:05.250Z", 0},
        {"2005-02-01T03:04:06", 0.75},
        {"2005-02-01T03:04:05.2", -0.05},
        {"2005-02-02T03:04:05.25Z", 86400},
        {"2005-01-31T23:59:59.999999999", -(3 * 3600 + 4 * 60 + 5.25) + 0.999999999 - 1},
        {"2004-02-29T00:00:00", -(338 * 86400.0) - (3 * 3600 + 4 * 60 + 5.25)},
    };
    for (const Case& c : good) {
        const std::optional<SpanTime> time = ParseSpanTime(c.text);
        ASSERT_TRUE(time) << c.text;
        EXPECT_NEAR(SecondsAfterReference(info, *time), c.seconds, 1e-9) << c.text;
    }
    for (const char* bad : {"",
                            "abc",
                            "1.2.3",
                            "12s",
                            "inf",
                            "nan",
                            "-",
                            "1e999",
                            " 5",
                            "2005-02-30T00:00:00",
                            "2005-13-01T00:00:00",
                            "2005-02-01T24:00:00",
                            "2005-02-01T03:60:00",
                            "2005-02-01 03:04:05",
                            "2005-2-1T03:04:05",
                            "2005-02-01T03:04:05.",
                            "2005-02-01T03:04:05.1234567890",
                            "2005-02-01T03:04:05+01:00",
                            "2005-02-01T03:04:05ZZ",
                            "0050-01-01T00:00:00"}) {
        EXPECT_FALSE(ParseSpanTime(bad)) << bad;
    }
}

TEST(Span, OrdersTimesWrittenInTheSameForm) {
    const auto time = [](const char* text) { return *ParseSpanTime(text); };
    EXPECT_EQ(IsBefore(time("1"), time("2")), true);
    EXPECT_EQ(IsBefore(time("2"), time("2")), false);
    EXPECT_EQ(IsBefore(time("2005-02-01T03:04:05.5"), time("2005-02-01T03:04:05.25")), false);
    EXPECT_EQ(IsBefore(time("2005-02-01T23:59:59.9"), time("2005-02-02T00:00:00")), true);
    EXPECT_EQ(IsBefore(time("5"), time("2005-02-01T03:04:05")), std::nullopt);
}

TEST(Span, AnEmptySpanSaysWhereTheTraceLies) {
    const LoadedTrace trace = MemoryTrace(std::vector<float>(100), 0.0f, 0.01f);
    EXPECT_EQ(RequireSamplesBetween(trace, 0.5, 0.52), (SampleSpan{51, 2}));
    const std::string lies =
        " s after the reference time: the trace lies from 0 to 0.99 s after the reference time "
        "(2005-02-01 03:04:05.250 to 2005-02-01 03:04:06.240 UTC).";
    struct Case {
        double start;
        double end;
        std::string says;
    };
    // A span open at one end is told by the edge it has.
    const Case cases[] = {
        {100, 200, "No sample falls between 100 and 200" + lies},
        {1e9, kInf, "No sample falls at or later than 1000000000" + lies},
        {-kInf, -5, "No sample falls at or earlier than -5" + lies},
        {0.001, 0.009, "No sample falls between 0.001 and 0.009" + lies},
    };
    for (const Case& c : cases) {
        try {
            RequireSamplesBetween(trace, c.start, c.end);
            ADD_FAILURE() << "an empty span was accepted: " << c.says;
        } catch (const UserError& error) {
            EXPECT_EQ(std::string(error.what()), c.says);
        }
    }
    const LoadedTrace no_delta = MemoryTrace(std::vector<float>(100), 0.0f, 0.0f);
    EXPECT_THROW(RequireSamplesBetween(no_delta, -kInf, kInf), UserError);
}

// The cut trace reads its samples through the whole trace's source and
// describes itself as a trace of just those samples.
TEST(Span, ACutTraceIsAViewWithItsOwnTimes) {
    std::vector<float> samples(50);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<float>(i);
    }
    const LoadedTrace trace = MemoryTrace(samples, 2.0f, 0.1f);
    const LoadedTrace cut = SpanTrace(trace, {10, 5});
    EXPECT_EQ(ReadSamples(cut), (std::vector<float>{10, 11, 12, 13, 14}));
    EXPECT_FLOAT_EQ(cut.header.reals[sac::real::B], 3.0f);
    EXPECT_EQ(cut.header.reals[sac::real::E],
              static_cast<float>(static_cast<double>(cut.header.reals[sac::real::B]) +
                                 4 * static_cast<double>(0.1f)));
    EXPECT_EQ(cut.header.ints[sac::integer::NPTS], 5);
    EXPECT_EQ(cut.info.NPTS, 5);
    EXPECT_FLOAT_EQ(cut.info.B, 3.0f);
    EXPECT_EQ(cut.header.reals[sac::real::DEPMIN], sac::kUndefined);
    EXPECT_EQ(cut.header.reals[sac::real::O], 2.5f);  // the rest is kept
    EXPECT_EQ(cut.samples->Count(), 5u);
    std::vector<float> one(1);
    EXPECT_THROW(cut.samples->Read(5, one), UserError);
    EXPECT_THROW(SpanTrace(trace, {45, 6}), UserError);
    // A span of every sample changes nothing, not even E's last bit.
    const LoadedTrace all = SpanTrace(trace, {0, 50});
    EXPECT_EQ(all.header.reals, trace.header.reals);
    EXPECT_EQ(all.header.ints, trace.header.ints);

    sac::SacHeader header = cut.header;
    SetDependentLevels(header, std::vector<float>{1, std::nanf(""), -3, 8});
    EXPECT_EQ(header.reals[sac::real::DEPMIN], -3.0f);
    EXPECT_EQ(header.reals[sac::real::DEPMAX], 8.0f);
    EXPECT_EQ(header.reals[sac::real::DEPMEN], 2.0f);
}

// What the window says of a selection and of the sample under the pointer,
// and the file name it offers for the selection.
TEST(Span, TextsNameTheSpanByItsSamplesTimes) {
    LoadedTrace trace = MemoryTrace(std::vector<float>(100000), 1.5f, 0.01f);
    trace.title = "event.SAC";
    trace.info.IDEP = 7;
    EXPECT_EQ(SelectionText(trace, {25, 76}),
              "2005-02-01 03:04:07.000 to 03:04:07.750 UTC, 0.75 s, 76 samples");
    // Across midnight the end keeps its date.
    EXPECT_EQ(SelectionText(MemoryTrace(std::vector<float>(100), 75350.0f, 1.0f), {0, 10}),
              "2005-02-01 23:59:55.250 to 2005-02-02 00:00:04.250 UTC, 9 s, 10 samples");
    EXPECT_EQ(PointerText(trace, 187, 12.5f),
              "2005-02-01 03:04:08.620 UTC  3.37 s  sample 187  12.5 nm/s");
    EXPECT_EQ(SpanFileName(trace, {25, 76}, ".wav"),
              "event_20050201T030407.000-20050201T030407.750.wav");

    // A sample interval below a millisecond is shown to the microsecond.
    trace.info.DELTA = 0.0001f;
    EXPECT_EQ(PointerText(trace, 3, -1).substr(0, 30), "2005-02-01 03:04:06.750300 UTC");
    trace.info.DELTA = 0;
    EXPECT_EQ(SelectionText(trace, {25, 1}), "samples 25 to 25, 1 sample");
    EXPECT_EQ(SpanFileName(trace, {25, 76}, ".sac"), "event_samples25-100.sac");
}

}  // namespace
}  // namespace tremorline::trace
