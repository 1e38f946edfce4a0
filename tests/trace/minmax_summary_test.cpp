// SPDX-License-Identifier: MIT
#include "trace/minmax_summary.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstddef>
#include <limits>
#include <random>
#include <stdexcept>
#include <stop_token>
#include <vector>

#include "common/user_error.h"

namespace tremorline::trace {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// The finite min and max of samples [first, last), and whether any is not finite.
MinMax Naive(const std::vector<float>& samples, std::size_t first, std::size_t last) {
    MinMax result;
    for (std::size_t i = first; i < last; ++i) {
        if (!std::isfinite(samples[i])) {
            result.gap = true;
        } else {
            result.min = std::min(result.min, samples[i]);
            result.max = std::max(result.max, samples[i]);
        }
    }
    return result;
}

void ExpectLevel(const std::vector<float>& samples, const std::vector<MinMax>& level,
                 std::size_t block) {
    ASSERT_EQ(level.size(), (samples.size() + block - 1) / block);
    for (std::size_t i = 0; i < level.size(); ++i) {
        const MinMax expected =
            Naive(samples, i * block, std::min(samples.size(), (i + 1) * block));
        ASSERT_EQ(level[i], expected) << "entry " << i << " of the " << block << " level";
    }
}

TEST(MinMaxSummary, EachEntryHoldsTheFiniteMinAndMaxOfItsBlockAndWhetherItHasGaps) {
    constexpr std::size_t kFine = MinMaxSummary::kFineBlock;
    // Three coarse blocks and a partial fourth, so both levels end short.
    std::vector<float> samples(3 * MinMaxSummary::kCoarseBlock + 1000);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = std::sin(static_cast<float>(i) * 0.001f) * 100.0f;
    }
    samples[5] = kNaN;                  // a NaN among values
    samples[kFine + 7] = kInf;          // infinities never become the max or min
    samples[2 * kFine + 255] = -kInf;   // last sample of a block
    samples[3 * kFine + 16] = 5000.0f;  // spikes in the fast scan's lanes
    samples[3 * kFine + 31] = -5000.0f;
    for (std::size_t i = 10 * kFine; i < 11 * kFine; ++i) {
        samples[i] = kNaN;  // a block of nothing but gaps
    }
    samples.back() = 7777.0f;  // in the short last block

    const auto summary = BuildMinMaxSummary(MemorySampleSource(samples));
    ASSERT_TRUE(summary);
    EXPECT_EQ(summary->SampleCount(), samples.size());
    ExpectLevel(samples, summary->Fine(), kFine);
    ExpectLevel(samples, summary->Coarse(), MinMaxSummary::kCoarseBlock);
    EXPECT_FALSE(summary->Fine()[10].HasValues());
    EXPECT_EQ(summary->Overall(), Naive(samples, 0, samples.size()));
    // Far below the 1/32 of the samples' own memory the summary may take.
    EXPECT_LE(summary->MemoryBytes() * 32, samples.size() * sizeof(float));
}

TEST(MinMaxSummary, EveryWayOfScanningThisProcessorHasGivesTheExactResult) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> value(-1000.0f, 1000.0f);
    std::uniform_int_distribution<int> kind(0, 9);
    std::uniform_int_distribution<std::size_t> length(0, 300);
    // Now and then a NaN, an infinity, or a value so large that sums of a
    // few of them overflow.
    const float specials[] = {kNaN, kInf, -kInf, 3e38f, -3e38f, -0.0f};
    for (int trial = 0; trial < 2000; ++trial) {
        std::vector<float> samples(length(random));
        const bool sprinkle = trial % 3 == 0;
        for (float& sample : samples) {
            const int k = kind(random);
            sample = sprinkle && k < 6 && kind(random) == 0 ? specials[k] : value(random);
        }
        const MinMax expected = Naive(samples, 0, samples.size());
        for (const ScanKind scan : AvailableScans()) {
            ASSERT_EQ(ScanMinMaxWith(scan, samples.data(), samples.size()), expected)
                << "scan " << static_cast<int>(scan) << ", trial " << trial;
        }
    }
}

TEST(MinMaxSummary, AnEmptyTraceHasAnEmptySummary) {
    const auto summary = BuildMinMaxSummary(MemorySampleSource({}));
    ASSERT_TRUE(summary);
    EXPECT_TRUE(summary->Fine().empty());
    EXPECT_TRUE(summary->Coarse().empty());
    EXPECT_FALSE(summary->Overall().HasValues());
}

// Counts the stretches read, and asks the build to stop after `stop_after`.
class StoppingSource final : public SampleSource {
  public:
    StoppingSource(std::size_t count, std::stop_source& stop, int stop_after)
        : count_(count), stop_(stop), stop_after_(stop_after) {}
    std::size_t Count() const override { return count_; }
    void Read(std::size_t, std::span<float> out) const override {
        std::fill(out.begin(), out.end(), 1.0f);
        if (++reads_ == stop_after_) {
            stop_.request_stop();
        }
    }
    int reads() const { return reads_; }

  private:
    std::size_t count_;
    std::stop_source& stop_;
    int stop_after_;
    mutable std::atomic<int> reads_{0};
};

TEST(MinMaxSummary, AStopRequestEndsTheBuildAtTheNextStretchWithNothing) {
    std::stop_source stop;
    const StoppingSource source(50'000'000, stop, 2);
    EXPECT_FALSE(BuildMinMaxSummary(source, stop.get_token()));
    EXPECT_EQ(source.reads(), 2);

    std::stop_source already;
    already.request_stop();
    const StoppingSource untouched(1000, already, 0);
    EXPECT_FALSE(BuildMinMaxSummary(untouched, already.get_token()));
    EXPECT_EQ(untouched.reads(), 0);
}

TEST(MinMaxSummary, AFailingReadReachesTheCaller) {
    class FailingSource final : public SampleSource {
      public:
        std::size_t Count() const override { return 1000; }
        void Read(std::size_t, std::span<float>) const override {
            throw UserError("The trace file could not be read.");
        }
    };
    EXPECT_THROW(BuildMinMaxSummary(FailingSource()), UserError);
}

}  // namespace
}  // namespace tremorline::trace
