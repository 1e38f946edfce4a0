// SPDX-License-Identifier: MIT
#include "sound/wave_image.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "common/user_error.h"
#include "sound/wave_data.h"
#include "support/temp_dir.h"

namespace tremorline::sound {
namespace {

using testing::TempDir;

TEST(WaveFileName, DropsTheLastFourCharactersAndAddsWav) {
    const struct {
        const char* title;
        const char* name;  // nullptr: refused, the name is too short
    } cases[] = {
        {"event.SAC", "event.wav"},
        {"trace.sacx", "trace..wav"},
        {"CRLZ.HHZ.10.NZ.SAC", "CRLZ.HHZ.10.NZ.wav"},
        {"a.sac", "a.wav"},
        {"\xC3\xA9t\xC3\xA9.s\xC3\xA1\x63", "\xC3\xA9t\xC3\xA9.wav"},  // UTF-8, never cut inside
        {".SAC", "wav"},                                               // no hidden ".wav"
        {"abcd", "wav"},
        {"\xC3\xA9.sa", "wav"},  // four characters in five bytes
        {"abc", nullptr},
        {"", nullptr},
        {"\xC3\xA9.s", nullptr},
    };
    for (const auto& c : cases) {
        if (c.name == nullptr) {
            EXPECT_THROW(WaveFileName(c.title), UserError) << c.title;
        } else {
            EXPECT_EQ(WaveFileName(c.title), c.name) << c.title;
        }
    }
}

struct Sound {
    WaveHeader header;
    std::vector<std::int16_t> data;
};

Sound SineSound(std::size_t npts, std::int32_t rate) {
    std::vector<float> samples(npts);
    for (std::size_t i = 0; i < npts; ++i) {
        samples[i] = 100.0f + 50.0f * static_cast<float>(std::sin(0.05 * static_cast<double>(i)));
    }
    Sound sound;
    sound.data = BuildWaveData(samples, ComputeSoundLevels(samples));
    BuildWaveHeader(sound.header, static_cast<std::int32_t>(npts));
    SetPlayRate(sound.header, rate);
    return sound;
}

std::string CommandOutput(const std::string& command) {
    std::string out;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return out;
    }
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        out.append(buffer, got);
    }
    ::pclose(pipe);
    return out;
}

TEST(WriteWaveFile, SoxReadsBackTheRateLengthAndEverySample) {
    if (std::system("command -v sox >/dev/null 2>&1 && command -v soxi >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "sox is not installed";
    }
    TempDir dir;
    const Sound sound = SineSound(1000, 8000);
    const auto path = dir / "seism.wav";
    WriteWaveFile(path, sound.header, sound.data);

    std::string quoted = "'";
    quoted += path.string();
    quoted += '\'';
    EXPECT_EQ(CommandOutput("soxi -r " + quoted), "8000\n");
    EXPECT_EQ(CommandOutput("soxi -s " + quoted), "1000\n");
    EXPECT_EQ(CommandOutput("soxi -c " + quoted), "1\n");
    const std::string raw = CommandOutput("sox " + quoted + " -t s16 -L -");
    ASSERT_EQ(raw.size(), 2 * sound.data.size());
    for (std::size_t i = 0; i < sound.data.size(); ++i) {
        const auto lo = static_cast<unsigned char>(raw[2 * i]);
        const auto hi = static_cast<unsigned char>(raw[2 * i + 1]);
        ASSERT_EQ(static_cast<std::int16_t>(lo | (hi << 8)), sound.data[i]) << "sample " << i;
    }
}

TEST(ReadWaveImage, FindsThePcmOfAPlayableImageOnly) {
    const Sound sound = SineSound(10, 8000);
    const std::vector<unsigned char> good = BuildPlayBuffer(sound.header, sound.data);
    const auto pcm = ReadWaveImage(good);
    ASSERT_TRUE(pcm.has_value());
    EXPECT_EQ(pcm->rate, 8000);
    EXPECT_EQ(pcm->data_offset, 44u);
    EXPECT_EQ(pcm->data_size, 20u);

    const struct {
        const char* what;
        std::size_t offset;
        std::vector<unsigned char> bytes;
    } damages[] = {
        {"rate 0", 24, {0, 0, 0, 0}},
        {"negative rate", 24, {0x40, 0xE0, 0xFF, 0xFF}},
        {"stereo", 22, {2, 0}},
        {"8-bit", 34, {8, 0}},
        {"not PCM", 20, {3, 0}},
        {"not RIFF", 0, {'R', 'I', 'F', 'X'}},
        {"more data promised than held", 40, {22, 0, 0, 0}},
        {"odd data size", 40, {19, 0, 0, 0}},
    };
    for (const auto& d : damages) {
        std::vector<unsigned char> image = good;
        std::copy(d.bytes.begin(), d.bytes.end(), image.begin() + static_cast<long>(d.offset));
        EXPECT_FALSE(ReadWaveImage(image).has_value()) << d.what;
    }
    EXPECT_FALSE(ReadWaveImage(std::span(good).first(43)).has_value());
}

}  // namespace
}  // namespace tremorline::sound
