// SPDX-License-Identifier: MIT
#include "mseed/segment_header.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

namespace tremorline::mseed {
namespace {

TEST(ToCalendar, GivesTheGregorianDateAndDayOfYear) {
    struct Case {
        Microseconds time;
        std::string text;
        std::int32_t day_of_year;
    };
    const std::vector<Case> cases = {
        {0, "1970-01-01 00:00:00.000000", 1},
        {-1, "1969-12-31 23:59:59.999999", 365},
        {951'782'400'000'000, "2000-02-29 00:00:00.000000", 60},     // a leap century
        {-2'203'891'200'000'000, "1900-03-01 00:00:00.000000", 60},  // not a leap century
        {1'356'998'399'999'999, "2012-12-31 23:59:59.999999", 366},
        {1'267'253'400'069'539, "2010-02-27 06:50:00.069539", 58},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(TimeText(c.time), c.text);
        EXPECT_EQ(ToCalendar(c.time).day_of_year, c.day_of_year);
    }
}

std::uint32_t Bits(float value) {
    return std::bit_cast<std::uint32_t>(value);
}

// The header of a 40 Hz segment of 5000 samples starting at
// 2011-03-11 05:46:23.1235 with no location code, field by field as the
// converted file holds it.
TEST(SegmentHeader, FillsTheConvertedFieldsAndLeavesTheRestUndefined) {
    const SourceId source{"XX", "ABCDE", "", "BHZ", 'D'};
    const sac::SacHeader header = SegmentHeader(source, 1'299'822'383'123'500, 40.0, 5000);

    EXPECT_EQ(Bits(header.reals[sac::real::DELTA]), 0x3CCCCCCDu);  // 0.025
    EXPECT_EQ(Bits(header.reals[sac::real::B]), 0x3A03126Fu);      // 0.0005
    EXPECT_EQ(Bits(header.reals[sac::real::E]), 0x42F9F375u);      // 124.9755
    for (std::size_t i = 0; i < sac::kRealCount; ++i) {
        if (i != sac::real::DELTA && i != sac::real::B && i != sac::real::E) {
            EXPECT_EQ(header.reals[i], sac::kUndefined) << "real " << i;
        }
    }
    const std::vector<std::pair<std::size_t, std::int32_t>> set = {
        {0, 2011}, {1, 70}, {2, 5}, {3, 46}, {4, 23}, {5, 123},  // NZYEAR ... NZMSEC
        {6, 6},                                                  // NVHDR
        {9, 5000},                                               // NPTS
        {15, 1},                                                 // IFTYPE: time series
        {35, 1},                                                 // LEVEN
    };
    std::vector<std::int32_t> expected(sac::kIntegerCount, -12345);
    for (const auto& [index, value] : set) {
        expected[index] = value;
    }
    EXPECT_EQ(std::vector<std::int32_t>(header.ints.begin(), header.ints.end()), expected);

    for (std::size_t slot = 0; slot < sac::kTextSlotCount; ++slot) {
        std::string want = "-12345  ";
        if (slot == sac::text::KSTNM) {
            want = "ABCDE   ";
        } else if (slot == sac::text::KEVNM + 1) {
            want = "        ";  // the second half of the 16-byte KEVNM
        } else if (slot == sac::text::KCMPNM) {
            want = "BHZ     ";
        } else if (slot == sac::text::KNETWK) {
            want = "XX      ";
        }
        EXPECT_EQ(header.Text(slot), want) << "slot " << slot;  // KHOLE (3) stays undefined
    }
}

TEST(SegmentHeader, CutsTheReferenceTimeToTheMillisecond) {
    struct Case {
        Microseconds start;
        std::vector<std::int32_t> reference;  // NZYEAR, NZJDAY, NZHOUR, NZMIN, NZSEC, NZMSEC
        float b;
    };
    const std::vector<Case> cases = {
        {1'299'887'999'999'900, {2011, 70, 23, 59, 59, 999}, 0.0009f},
        {1'356'998'398'000'500, {2012, 366, 23, 59, 58, 0}, 0.0005f},
        {1'370'044'800'000'000, {2013, 152, 0, 0, 0, 0}, 0.0f},
        // Before 1970 the cut still goes back in time, never forward.
        {-1'500, {1969, 365, 23, 59, 59, 998}, 0.0005f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.start);
        const sac::SacHeader header = SegmentHeader({"XX", "S", "00", "BHZ", 'D'}, c.start, 1.0, 1);
        EXPECT_EQ(std::vector<std::int32_t>(header.ints.begin(), header.ints.begin() + 6),
                  c.reference);
        EXPECT_EQ(header.reals[sac::real::B], c.b);
        EXPECT_EQ(header.reals[sac::real::E], c.b);  // one sample: it ends where it begins
    }
}

TEST(SegmentFileName, NamesTheChannelQualityAndStartSecond) {
    EXPECT_EQ(SegmentFileName({"IU", "COLA", "00", "LHZ", 'M'}, 1'267'253'400'069'539),
              "IU.COLA.00.LHZ.M.2010.058.065000.SAC");
    EXPECT_EQ(SegmentFileName({"XX", "ABCDE", "", "BHZ", 'D'}, 1'299'822'383'999'999),
              "XX.ABCDE..BHZ.D.2011.070.054623.SAC");
}

}  // namespace
}  // namespace tremorline::mseed
