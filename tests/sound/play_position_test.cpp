// SPDX-License-Identifier: MIT
#include "sound/play_position.h"

#include <gtest/gtest.h>

#include <limits>

namespace tremorline::sound {
namespace {

// 2 minutes 20 seconds of sound at 36000 Hz, a trace sampled every 0.05 s
// whose first sample was at 06:50:00 UTC.
PlayedSound Worked() {
    PlayedSound sound;
    sound.sample_count = 140 * 36000;
    sound.play_rate = 36000;
    sound.DELTA = 0.05f;
    sound.first_sample_time = 6 * 3600.0 + 50 * 60.0;
    return sound;
}

TEST(PlayPositionText, SaysSoundTimeSpeedUpAndTraceTime) {
    PlayedSound no_time = Worked();
    no_time.first_sample_time.reset();
    PlayedSound no_delta = Worked();
    no_delta.DELTA = 0;
    PlayedSound hours = Worked();
    hours.sample_count = (3600 + 61) * 36000u;
    PlayedSound near_midnight = Worked();
    near_midnight.first_sample_time = 86390.0;
    PlayedSound before_midnight = Worked();
    before_midnight.first_sample_time = -1.5;  // B reaches back into the day before
    PlayedSound slow = Worked();
    slow.play_rate = 10;
    slow.sample_count = 100;

    const struct {
        const PlayedSound& sound;
        std::size_t heard;
        const char* text;
    } cases[] = {
        {Worked(), 0, "0:00 / 2:20  \u00D71800  06:50:00 UTC"},
        {Worked(), 12 * 36000, "0:12 / 2:20  \u00D71800  12:50:00 UTC"},
        {Worked(), 12 * 36000 - 1, "0:11 / 2:20  \u00D71800  12:49:59 UTC"},  // never ahead
        {Worked(), 140 * 36000, "2:20 / 2:20  \u00D71800  04:50:00 UTC"},     // over midnight
        {no_time, 36000, "0:01 / 2:20  \u00D71800"},
        {no_delta, 36000, "0:01 / 2:20"},
        {hours, 3661 * 36000u, "1:01:01 / 1:01:01  \u00D71800  13:20:00 UTC"},
        {near_midnight, 36000 * 1, "0:01 / 2:20  \u00D71800  00:29:50 UTC"},
        {before_midnight, 0, "0:00 / 2:20  \u00D71800  23:59:58 UTC"},
        {slow, 25, "0:02 / 0:10  \u00D70.5  06:50:01 UTC"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PlayPositionText(c.sound, c.heard), c.text);
    }
}

TEST(SpeedUpText, WholeFromAHundredThreeDigitsBelow) {
    const struct {
        double factor;
        const char* text;
    } cases[] = {
        {1800, "1800"},
        {441, "441"},
        {1799.6, "1800"},
        {150.5, "150"},
        {151.5, "152"},
        {53687091.15, "53687091"},
        {99.96, "100"},
        {12.34, "12.3"},
        {2, "2"},
        {0.5, "0.5"},
        {0.00123456, "0.00123"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SpeedUpText(c.factor), c.text) << c.factor;
    }
}

TEST(DescribePlayedSound, TheFirstSampleLiesBSecondsAfterTheReferenceTime) {
    trace::TraceInfo info;
    info.DELTA = 0.01f;
    info.RefTime = {2010, 2, 27, 6, 50, 0};
    info.NZMSEC = 250;
    info.B = 30.5f;
    PlayedSound sound = DescribePlayedSound(info, 1000, 8000);
    EXPECT_EQ(sound.sample_count, 1000u);
    EXPECT_EQ(sound.play_rate, 8000);
    EXPECT_FLOAT_EQ(sound.DELTA, 0.01f);
    ASSERT_TRUE(sound.first_sample_time);
    EXPECT_DOUBLE_EQ(*sound.first_sample_time, 6 * 3600 + 50 * 60 + 30.75);

    info.B = -12345.0f;  // undefined: the reference time itself
    EXPECT_DOUBLE_EQ(*DescribePlayedSound(info, 1, 1).first_sample_time, 6 * 3600 + 50 * 60 + 0.25);
    info.B = std::numeric_limits<float>::quiet_NaN();
    EXPECT_DOUBLE_EQ(*DescribePlayedSound(info, 1, 1).first_sample_time, 6 * 3600 + 50 * 60 + 0.25);
    info.RefTime = {};  // nothing loaded
    EXPECT_FALSE(DescribePlayedSound(info, 1, 1).first_sample_time);
}

}  // namespace
}  // namespace tremorline::sound
