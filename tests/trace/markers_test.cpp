// SPDX-License-Identifier: MIT
#include "trace/markers.h"

#include <gtest/gtest.h>

#include <limits>
#include <span>
#include <vector>

#include "sac/sac_loader.h"
#include "support/sac_builder.h"

namespace tremorline::trace {
namespace {

using Place = Marker::Place;

constexpr std::size_t kA = 8;
constexpr std::size_t kT0 = 10;
constexpr std::size_t kT9 = 19;
constexpr std::size_t kF = 20;

sac::SacHeader HeaderOf(const testing::SacBuilder& builder) {
    const auto bytes = builder.Bytes();
    return sac::ParseSacHeader(
        std::span<const unsigned char, sac::kHeaderSize>(bytes.data(), sac::kHeaderSize),
        sac::ByteOrder::Little);
}

// 1000 samples at 0.01 s from B = 10 s: the trace spans 10 s to 19.99 s.
testing::SacBuilder Trace() {
    testing::SacBuilder builder;
    builder.Samples(std::vector<float>(1000, 0.0f))
        .Real(sac::real::DELTA, 0.01f)
        .Real(sac::real::B, 10.0f)
        .Real(sac::real::E, 19.99f);
    return builder;
}

TEST(HeaderMarkers, DefinedTimesComeInOrderWithTheirLabels_UndefinedOnesAreAbsent) {
    auto builder = Trace();
    builder.Real(sac::real::O, 12.5f)
        .Text(4, "quake")
        .Real(kA, 13.25f)
        .Text(5, "P   ")
        .Real(kT0, 14.0f)  // KT0 left undefined: no text
        .Real(kT9, 15.0f)
        .Text(15, "Lg")
        .Real(kF, 18.0f)
        .Text(16, "")
        .Real(kT0 + 3, std::numeric_limits<float>::quiet_NaN());  // not a time at all
    const auto markers = HeaderMarkers(HeaderOf(builder), 1000);
    const std::vector<Marker> expected = {
        {"B", "B", 10.0, Place::Inside},       {"E", "E", 19.99f, Place::Inside},
        {"O", "O quake", 12.5, Place::Inside}, {"A", "A P", 13.25, Place::Inside},
        {"T0", "T0", 14.0, Place::Inside},     {"T9", "T9 Lg", 15.0, Place::Inside},
        {"F", "F", 18.0, Place::Inside},
    };
    EXPECT_EQ(markers, expected);
}

TEST(HeaderMarkers, TimesBeyondTheSamplesAreBeforeOrAfter) {
    struct Case {
        float seconds;
        Place place;
    };
    const Case cases[] = {
        {9.0f, Place::Before},   {9.996f, Place::Inside}, {9.99f, Place::Before},
        {19.99f, Place::Inside}, {19.996f, Place::After}, {500.0f, Place::After},
    };
    for (const Case& c : cases) {
        auto builder = Trace();
        builder.Real(sac::real::O, c.seconds);
        const auto markers = HeaderMarkers(HeaderOf(builder), 1000);
        ASSERT_EQ(markers.size(), 3u);
        EXPECT_EQ(markers[2].place, c.place) << c.seconds;
    }
}

TEST(HeaderMarkers, WithoutAUsableDeltaNothingIsCalledOutside) {
    auto builder = Trace();
    builder.Real(sac::real::DELTA, 0.0f).Real(sac::real::O, 1e6f);
    const auto markers = HeaderMarkers(HeaderOf(builder), 1000);
    ASSERT_EQ(markers.size(), 3u);
    EXPECT_EQ(markers[2].place, Place::Inside);
}

}  // namespace
}  // namespace tremorline::trace
