// SPDX-License-Identifier: MIT
// Which loader takes a file: SAC first, exactly as before, then miniSEED by
// content; and how a segment's place among its channel's segments is shown.

#include "trace/trace_loader.h"

#include <gtest/gtest.h>

#include "common/user_error.h"
#include "support/mseed_builder.h"
#include "support/mseed_converter.h"
#include "support/sac_builder.h"
#include "support/temp_dir.h"

namespace tremorline::trace {
namespace {

using testing::TempDir;

TEST(LoadTraceFile, SacIsTriedFirstThenMiniSeedByContent) {
    TempDir dir;
    testing::SacBuilder().WriteTo(dir / "trace.mseed");  // a SAC file, whatever its name
    testing::WriteBytes(dir / "data.sac",
                        testing::PackRecords({.samples = testing::WavyIntegers(100, 50)}));

    const auto sac = LoadTraceFile(dir / "trace.mseed");
    ASSERT_TRUE(sac);
    ASSERT_EQ(sac->size(), 1u);
    EXPECT_FALSE(sac->front().segment);
    EXPECT_EQ(SummaryTitle(sac->front()), "trace.mseed");

    // One 512-byte record: too short for a SAC header, still read.
    const auto mseed = LoadTraceFile(dir / "data.sac");
    ASSERT_TRUE(mseed);
    ASSERT_EQ(mseed->size(), 1u);
    const LoadedTrace& segment = mseed->front();
    ASSERT_TRUE(segment.segment);
    EXPECT_EQ(segment.title, "XX.TEST.00.BHZ.D.2011.070.054623.SAC");
    EXPECT_EQ(SummaryTitle(segment), "data.sac  XX.TEST.00.BHZ");
    EXPECT_EQ(segment.order, sac::ByteOrder::Little);
    EXPECT_EQ(segment.info.NPTS, 100);
    EXPECT_EQ(ReadSamples(segment).size(), 100u);
}

TEST(LoadTraceFile, FilesOfNeitherKindAreRefusedOrFailAsBefore) {
    TempDir dir;
    testing::WriteBytes(dir / "long", std::vector<unsigned char>(1000, 0));
    testing::WriteBytes(dir / "short", std::vector<unsigned char>(100, 0));
    EXPECT_FALSE(LoadTraceFile(dir / "long"));
    EXPECT_THROW(LoadTraceFile(dir / "short"), UserError);
    EXPECT_THROW(LoadTraceFile(dir / "missing"), UserError);

    // A miniSEED file that cannot be read is told apart, so the window can
    // say why: here its only record is cut short.
    std::vector<unsigned char> cut =
        testing::PackRecords({.samples = testing::WavyIntegers(1000, 50)});
    cut.resize(300);
    testing::WriteBytes(dir / "cut", cut);
    EXPECT_THROW(LoadTraceFile(dir / "cut"), UnreadableMiniSeed);
}

TEST(GapText, SaysHowASegmentFollowsTheOneBefore) {
    struct Case {
        std::optional<double> gap;
        const char* text;
    };
    const Case cases[] = {
        {std::nullopt, ""},      {0.0, "follows on"},       {4e-7, "follows on"},
        {100.0, "gap of 100 s"}, {0.025, "gap of 0.025 s"}, {-2.5, "overlap of 2.5 s"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GapText(c.gap), c.text) << c.text;
    }
}

}  // namespace
}  // namespace tremorline::trace
