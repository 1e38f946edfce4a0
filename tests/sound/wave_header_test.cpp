// SPDX-License-Identifier: MIT
#include "sound/wave_header.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "common/user_error.h"
#include "sound/wave_data.h"
#include "sound/wave_image.h"

namespace tremorline::sound {
namespace {

TEST(WaveImage, SmallTraceLaidOutByteForByte) {
    const std::vector<float> samples = {-1000, 3000, -500};
    WaveHeader header;
    BuildWaveHeader(header, 3);
    SetPlayRate(header, 8000);
    const std::vector<unsigned char> expected = {
        'R',  'I',  'F',  'F',  42,   0,    0,   0,    // RiffSize 2 * 3 + 36
        'W',  'A',  'V',  'E',  'f',  'm',  't', ' ',  //
        16,   0,    0,    0,    1,    0,    1,   0,    // FmtSize, PCM, mono
        0x40, 0x1F, 0,    0,    0x80, 0x3E, 0,   0,    // 8000, 16000
        2,    0,    16,   0,    'd',  'a',  't', 'a',  // BlockAlign, BitsPerSample
        6,    0,    0,    0,                           // DataSize
        0x38, 0xB3, 0xF8, 0x7F, 0xD0, 0xCC,            // -19656, 32760, -13104
    };
    EXPECT_EQ(BuildPlayBuffer(header, BuildWaveData(samples, ComputeSoundLevels(samples))),
              expected);
}

TEST(BuildWaveHeader, SizesFollowTheSampleCountAndTheRateStays) {
    WaveHeader header;
    SetPlayRate(header, 44100);
    BuildWaveHeader(header, 1000);
    EXPECT_EQ(header.RiffSize, 2036);
    EXPECT_EQ(header.DataSize, 2000);
    EXPECT_EQ(header.SampleRate, 44100);
    EXPECT_EQ(header.ByteRate, 88200);
    BuildWaveHeader(header, kMaxWavePoints);
    EXPECT_EQ(header.DataSize, 2147483602);  // 2 * N + 44 = 2^31 - 2
    EXPECT_EQ(header.RiffSize, 2147483638);
}

TEST(BuildWaveHeader, RefusesCountsTheSizeFieldsCannotHold) {
    for (std::int32_t npts : {-1, kMaxWavePoints + 1, std::numeric_limits<std::int32_t>::max()}) {
        WaveHeader header;
        BuildWaveHeader(header, 10);
        const WaveHeader before = header;
        EXPECT_THROW(BuildWaveHeader(header, npts), UserError) << npts;
        EXPECT_EQ(header, before) << npts;
    }
}

TEST(BuildPlayBuffer, RefusesAHeaderThatPromisesOtherData) {
    WaveHeader header;
    BuildWaveHeader(header, 4);
    const std::vector<std::int16_t> three = {1, 2, 3};
    EXPECT_THROW(BuildPlayBuffer(header, three), UserError);
}

TEST(RateAdviceText, GivesInputAndRecommendedRates) {
    const std::string choose =
        "Select and enter one of the permitted rates listed in the drop-down list.";
    const struct {
        float delta;
        const char* input_rate;
        const char* wave_rate;
    } cases[] = {
        {0.05f, "20", "36000"},
        {0.01f, "100", "180000"},
        {1.0f, "1", "1800"},
        {-0.5f, "-2", "-3600"},
        // 1 / 0.4 is 2.5 (to float precision, just below), 1800 / 0.4 is 4500.
        {0.4f, "2", "4500"},
        {1.0e-6f, "1000000", "1800000005"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RateAdviceText(c.delta),
                  std::string("Input sample rate is ") + c.input_rate +
                      ". The recommended playback rate is 2 seconds per real hour, \r\n"
                      "making the desired WAVE sample rate around " +
                      c.wave_rate + ".\r\n" + choose)
            << c.delta;
    }
}

TEST(RateAdviceText, SaysWhenNoRateCanBeWorkedOut) {
    for (float delta : {0.0f, -0.0f, 5.0e-7f, 1.0e-30f, std::numeric_limits<float>::quiet_NaN(),
                        std::numeric_limits<float>::infinity()}) {
        const std::string text = RateAdviceText(delta);
        EXPECT_EQ(text.find("Input sample rate is"), std::string::npos) << delta;
        EXPECT_NE(text.find("cannot be worked out from the trace"), std::string::npos) << delta;
    }
}

}  // namespace
}  // namespace tremorline::sound
