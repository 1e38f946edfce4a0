// SPDX-License-Identifier: MIT
#include "trace/envelope.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace tremorline::trace {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// Five coarse blocks and a bit: views cross both block sizes and the short end.
constexpr std::size_t kTraceLength = 5 * MinMaxSummary::kCoarseBlock + 4321;

std::vector<float> RandomTrace(std::mt19937& random) {
    std::normal_distribution<float> noise(0.0f, 1000.0f);
    std::vector<float> samples(kTraceLength);
    for (float& sample : samples) {
        sample = noise(random);
    }
    return samples;
}

// Quiet, with rare single-sample spikes of either sign and a few gaps: the
// trace on which a summary that drops a block's edge loses a peak.
std::vector<float> SpikyTrace(std::mt19937& random) {
    std::vector<float> samples(kTraceLength, 0.0f);
    std::uniform_int_distribution<std::size_t> where(0, kTraceLength - 1);
    std::uniform_real_distribution<float> size(1.0f, 1e6f);
    for (int spike = 0; spike < 300; ++spike) {
        samples[where(random)] = spike % 2 == 0 ? size(random) : -size(random);
    }
    for (int gap = 0; gap < 20; ++gap) {
        samples[where(random)] = gap % 3 == 0 ? kInf : kNaN;
    }
    // Spikes on block edges, where the raw reads meet the summary.
    samples[MinMaxSummary::kCoarseBlock - 1] = 2e6f;
    samples[MinMaxSummary::kCoarseBlock] = -2e6f;
    samples[3 * MinMaxSummary::kFineBlock] = 3e6f;
    return samples;
}

MinMax NaiveColumn(const std::vector<float>& samples, std::size_t first, std::size_t last) {
    MinMax result;
    for (std::size_t i = first; i < last; ++i) {
        const float value = samples[i];
        if (value != value || value == kInf || value == -kInf) {
            result.gap = true;
            continue;
        }
        if (value < result.min) {
            result.min = value;
        }
        if (value > result.max) {
            result.max = value;
        }
    }
    return result;
}

void ExpectExactColumns(const std::vector<float>& samples, std::mt19937& random) {
    const MemorySampleSource source(samples);
    const auto summary = BuildMinMaxSummary(source);
    ASSERT_TRUE(summary);
    const auto count = static_cast<double>(samples.size());
    std::uniform_int_distribution<std::size_t> widths(1, 2000);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int trial = 0; trial < 150; ++trial) {
        const std::size_t width = widths(random);
        const double least = kLineModeSamplesPerColumn * static_cast<double>(width);
        // Spans spread over every order of magnitude the trace allows.
        const double span = least * std::pow(count / least, unit(random));
        const TraceView view{unit(random) * (count - span), span};
        const Envelope envelope = ComputeEnvelope(source, *summary, view, width);
        const std::string where = "view " + std::to_string(view.first) + " + " +
                                  std::to_string(view.span) + " on " + std::to_string(width);
        ASSERT_FALSE(envelope.lines) << where;
        ASSERT_EQ(envelope.columns.size(), width) << where;
        std::size_t covered = 0;
        for (std::size_t column = 0; column < width; ++column) {
            const std::size_t first = ColumnBoundary(view, width, column, samples.size());
            const std::size_t last = ColumnBoundary(view, width, column + 1, samples.size());
            ASSERT_GE(last - first, 1u) << where << ", column " << column;
            covered += last - first;
            ASSERT_EQ(envelope.columns[column], NaiveColumn(samples, first, last))
                << where << ", column " << column << " [" << first << ", " << last << ")";
        }
        // The columns tile the view: nothing in it is skipped or counted twice.
        EXPECT_NEAR(static_cast<double>(covered), span, 1.0) << where;
    }
}

TEST(Envelope, EveryColumnHoldsTheExactMinAndMaxOfItsSamples) {
    std::mt19937 random(20261208);
    ExpectExactColumns(RandomTrace(random), random);
    ExpectExactColumns(SpikyTrace(random), random);
}

TEST(Envelope, TheWholeViewOfATraceEndingMidBlockReachesItsLastSample) {
    std::vector<float> samples(MinMaxSummary::kCoarseBlock + 300, 0.0f);
    samples.back() = 99.0f;
    const MemorySampleSource source(samples);
    const auto summary = BuildMinMaxSummary(source);
    const Envelope envelope =
        ComputeEnvelope(source, *summary, WholeTraceView(samples.size()), 100);
    ASSERT_EQ(envelope.columns.size(), 100u);
    EXPECT_EQ(envelope.columns.back().max, 99.0f);
}

TEST(Envelope, ZoomedInClosely_TheSamplesAroundTheViewComeBackForLines) {
    std::vector<float> samples(1000);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<float>(i);
    }
    const MemorySampleSource source(samples);
    const auto summary = BuildMinMaxSummary(source);
    struct Case {
        TraceView view;
        std::size_t width;
        std::size_t first;
        std::size_t count;
    };
    const Case cases[] = {
        {{100.5, 50}, 800, 99, 53},  // from the sample before to the one after
        {{0, 10}, 400, 0, 11},       // nothing before the first sample
        {{990, 10}, 400, 989, 11},   // nothing after the last
        {{0, 1000}, 501, 0, 1000},   // just under two samples a column
    };
    for (const Case& c : cases) {
        const Envelope envelope = ComputeEnvelope(source, *summary, c.view, c.width);
        ASSERT_TRUE(envelope.lines) << c.view.first;
        EXPECT_EQ(envelope.first_sample, c.first) << c.view.first;
        ASSERT_EQ(envelope.samples.size(), c.count) << c.view.first;
        EXPECT_EQ(envelope.samples.front(), static_cast<float>(c.first)) << c.view.first;
    }
    EXPECT_FALSE(ComputeEnvelope(source, *summary, {0, 1000}, 500).lines);
}

TEST(Envelope, ASummaryOfOtherSamplesIsRefused) {
    const MemorySampleSource source(std::vector<float>(1000));
    const auto other = BuildMinMaxSummary(MemorySampleSource(std::vector<float>(999)));
    EXPECT_THROW(RangeMinMax(source, *other, 0, 1000), std::invalid_argument);
}

TEST(TraceView, ZoomAndPanKeepTheViewInsideTheTrace) {
    constexpr std::size_t kCount = 10000;
    struct Case {
        const char* what;
        TraceView result;
        TraceView expected;
    };
    const TraceView whole = WholeTraceView(kCount);
    const Case cases[] = {
        {"zoom in around a point keeps it in place",
         ZoomView({0, 10000}, 2000, 0.5, kCount),
         {1000, 5000}},
        {"zoom out past the whole trace stops there", ZoomView({4000, 1000}, 4500, 100, kCount),
         whole},
        {"zoom in stops at the narrowest span, anchor kept",
         ZoomView({100, 8}, 104, 0.01, kCount),
         {102, kMinViewSpan}},
        {"zoom out near the end stays inside",
         ZoomView({9000, 1000}, 9990, 2, kCount),
         {8000, 2000}},
        {"pan past the start stops at the start", PanView({100, 500}, -1000, kCount), {0, 500}},
        {"pan past the end stops at the end", PanView({100, 500}, 1e9, kCount), {9500, 500}},
        {"a NaN view shows the whole trace", ClampView({kNaN, 10}, kCount), whole},
        {"an infinite zoom leaves the view as it was",
         ZoomView({10, 100}, 50, kInf, kCount),
         {10, 100}},
        {"a trace shorter than the narrowest span is shown whole",
         ZoomView({0, 2}, 1, 0.1, 2),
         {0, 2}},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(c.result.first, c.expected.first) << c.what;
        EXPECT_DOUBLE_EQ(c.result.span, c.expected.span) << c.what;
    }
}

}  // namespace
}  // namespace tremorline::trace
