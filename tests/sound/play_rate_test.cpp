// SPDX-License-Identifier: MIT
#include "sound/play_rate.h"

#include <gtest/gtest.h>

#include <string>

namespace tremorline::sound {
namespace {

TEST(ReadPlayRate, ReadsDecimalTextRoundedHalfToEven) {
    const struct {
        const char* text;
        PlayRateKind kind;
        std::int32_t rate;
    } cases[] = {
        {"8000", PlayRateKind::Rate, 8000},
        {"48000", PlayRateKind::Rate, 48000},
        {" 44100 ", PlayRateKind::Rate, 44100},
        {"+4000", PlayRateKind::Rate, 4000},
        {"8000.5", PlayRateKind::Rate, 8000},
        {"8001.5", PlayRateKind::Rate, 8002},
        {"8e3", PlayRateKind::Rate, 8000},
        {"1", PlayRateKind::Rate, 1},
        {"1073741823", PlayRateKind::Rate, 1073741823},
        {"0", PlayRateKind::Zero, 0},
        {"0.5", PlayRateKind::Zero, 0},
        {"-0.4", PlayRateKind::Zero, 0},
        {"-1", PlayRateKind::Negative, 0},
        {"-8000", PlayRateKind::Negative, 0},
        {"1073741824", PlayRateKind::TooLarge, 0},
        {"1e300", PlayRateKind::TooLarge, 0},
        {"abc", PlayRateKind::NotANumber, 0},
        {"", PlayRateKind::NotANumber, 0},
        {"8000 Hz", PlayRateKind::NotANumber, 0},
        {"inf", PlayRateKind::NotANumber, 0},
        {"nan", PlayRateKind::NotANumber, 0},
        {"+-5", PlayRateKind::NotANumber, 0},
        {"0x1F40", PlayRateKind::NotANumber, 0},
    };
    for (const auto& c : cases) {
        const PlayRateReading reading = ReadPlayRate(c.text);
        EXPECT_EQ(reading.kind, c.kind) << '"' << c.text << '"';
        EXPECT_EQ(reading.rate, c.rate) << '"' << c.text << '"';
    }
}

TEST(PlayRateProblem, NamesTheTextAndWhatIsWrong) {
    EXPECT_EQ(PlayRateProblem(ReadPlayRate("0"), "0"), "Please select a sample rate");
    const struct {
        const char* text;
        const char* part;
    } cases[] = {{"-8000", "\"-8000\" is negative"},
                 {"2e9", "\"2e9\" is too large"},
                 {"abc", "\"abc\" is not a sample rate"}};
    for (const auto& c : cases) {
        EXPECT_NE(PlayRateProblem(ReadPlayRate(c.text), c.text).find(c.part), std::string::npos)
            << c.text;
    }
}

}  // namespace
}  // namespace tremorline::sound
