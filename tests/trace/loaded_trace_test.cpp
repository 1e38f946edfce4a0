// SPDX-License-Identifier: MIT
#include "trace/loaded_trace.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "common/user_error.h"
#include "support/sac_builder.h"
#include "support/temp_dir.h"

namespace tremorline::trace {
namespace {

using testing::SacBuilder;
using testing::TempDir;

TEST(LoadSacTrace, MakesOneValueFromEitherByteOrder) {
    TempDir dir;
    SacBuilder builder;
    builder.Text(sac::text::KSTNM, "ABC").Samples({1.5f, -2.25f, 3e10f});
    builder.WriteTo(dir / "little.sac");
    builder.BigEndian().WriteTo(dir / "big.SAC");

    const std::optional<LoadedTrace> little = LoadSacTrace(dir / "little.sac");
    const std::optional<LoadedTrace> big = LoadSacTrace(dir / "big.SAC");
    ASSERT_TRUE(little && big);
    EXPECT_EQ(little->order, sac::ByteOrder::Little);
    EXPECT_EQ(big->order, sac::ByteOrder::Big);
    EXPECT_EQ(big->title, "big.SAC");
    EXPECT_EQ(big->header, little->header);
    EXPECT_EQ(big->info.KSTNM, "ABC     ");
    EXPECT_EQ(big->info.RefTimeText(), "02/01/2005 03:04:05");
    EXPECT_EQ(ReadSamples(*big), (std::vector<float>{1.5f, -2.25f, 3e10f}));
    EXPECT_EQ(ReadSamples(*big), ReadSamples(*little));
}

TEST(LoadSacTrace, AFileOfNeitherOrderIsAnAnswerAndOtherFailuresThrow) {
    TempDir dir;
    SacBuilder().Int(sac::integer::NZJDAY, 0).WriteTo(dir / "refused.sac");
    EXPECT_FALSE(LoadSacTrace(dir / "refused.sac").has_value());

    std::vector<unsigned char> bytes = SacBuilder().Bytes();
    bytes.resize(400);
    SacBuilder::WriteBytes(dir / "short.sac", bytes);
    SacBuilder().Int(sac::integer::NZYEAR, -12345).WriteTo(dir / "bad_year.sac");
    for (const char* name : {"short.sac", "bad_year.sac", "missing.sac"}) {
        EXPECT_THROW(LoadSacTrace(dir / name), UserError) << name;
    }
}

TEST(LoadSacTrace, TheSamplesOutliveEveryOtherHolderOfTheTrace) {
    TempDir dir;
    SacBuilder().Samples({4, 5, 6}).WriteTo(dir / "trace.sac");
    std::shared_ptr<const SampleSource> samples = LoadSacTrace(dir / "trace.sac")->samples;
    std::filesystem::remove(dir / "trace.sac");
    EXPECT_EQ(ReadAllSamples(*samples), (std::vector<float>{4, 5, 6}));
}

TEST(ReadSamples, RefusesBeforeAllocating) {
    TempDir dir;
    SacBuilder().Samples({1, 2, 3}).WriteTo(dir / "three.sac");
    const LoadedTrace trace = *LoadSacTrace(dir / "three.sac");
    const auto with_npts = [&](std::int32_t npts) {
        LoadedTrace changed = trace;
        changed.info.NPTS = npts;
        return changed;
    };
    EXPECT_THROW(ReadSamples(with_npts(0)), UserError);
    EXPECT_THROW(ReadSamples(with_npts(-5)), UserError);
    EXPECT_EQ(ReadSamples(trace), (std::vector<float>{1, 2, 3}));
    // Each call reads afresh: the samples are never reversed twice.
    EXPECT_EQ(ReadSamples(trace), ReadSamples(trace));

    // Two billion samples claimed by a tiny file: refused without a huge allocation.
    SacBuilder()
        .Samples({1, 2, 3})
        .Int(sac::integer::NPTS, std::numeric_limits<std::int32_t>::max())
        .WriteTo(dir / "claims_more.sac");
    EXPECT_THROW(ReadSamples(*LoadSacTrace(dir / "claims_more.sac")), UserError);
    SacBuilder().Samples({1, 2, 3}).Int(sac::integer::NPTS, 4).WriteTo(dir / "four.sac");
    EXPECT_THROW(ReadSamples(*LoadSacTrace(dir / "four.sac")), UserError);
}

}  // namespace
}  // namespace tremorline::trace
