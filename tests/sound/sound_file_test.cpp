// SPDX-License-Identifier: MIT
// Files written a block at a time from a trace's sample source hold the
// bytes of those written from the whole trace in memory: the WAVE file
// Save Sound writes after Set Up Sound, and the PSN file. The traces here
// span several blocks, so that block edges are crossed.

#include "sound/sound_file.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <limits>
#include <memory>
#include <vector>

#include "common/user_error.h"
#include "psn/psn_builders.h"
#include "psn/psn_file.h"
#include "sound/make_sound.h"
#include "sound/wave_header.h"
#include "support/temp_dir.h"

namespace tremorline::sound {
namespace {

using testing::ReadFileBytes;
using testing::TempDir;

trace::LoadedTrace MemoryTrace(std::vector<float> samples) {
    trace::LoadedTrace trace;
    trace.title = "memory.sac";
    trace.info.NPTS = static_cast<std::int32_t>(samples.size());
    trace.info.DELTA = 0.01f;
    trace.info.KSTNM = "MEM     ";
    trace.info.KCMPNM = "BHZ     ";
    trace.samples = std::make_shared<const MemorySampleSource>(std::move(samples));
    return trace;
}

std::vector<float> Wobble(std::size_t count, float offset) {
    std::vector<float> samples(count);
    for (std::size_t i = 0; i < count; ++i) {
        samples[i] = offset + 1000.0f * std::sin(static_cast<float>(i) * 0.001f) +
                     static_cast<float>(i % 7) * 0.125f;
    }
    return samples;
}

// The levels bit for bit, so that NaN levels compare equal.
std::array<std::uint32_t, 4> Bits(const SoundLevels& levels) {
    return {std::bit_cast<std::uint32_t>(levels.Max), std::bit_cast<std::uint32_t>(levels.Min),
            std::bit_cast<std::uint32_t>(levels.Peak), std::bit_cast<std::uint32_t>(levels.Bias)};
}

TEST(SoundFile, WrittenInBlocksAsSaveSoundWritesItWhole) {
    struct Case {
        const char* what;
        std::vector<float> samples;
    };
    std::vector<float> nan_first = Wobble(1'500'000, 3.0f);
    nan_first[0] = std::numeric_limits<float>::quiet_NaN();
    const Case cases[] = {
        {"one block", Wobble(1000, 5.0f)},
        {"blocks and a part", Wobble((std::size_t{1} << 21) + 12345, 1.0e6f)},
        {"a NaN first gives no sound either way", nan_first},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const trace::LoadedTrace trace = MemoryTrace(c.samples);
        EXPECT_EQ(Bits(ComputeSoundLevels(*trace.samples)), Bits(ComputeSoundLevels(c.samples)))
            << "levels";
        TempDir whole;
        TempDir blocks;
        bool whole_failed = false;
        try {
            BuiltSound built = BuildSound(trace, WaveHeader{});
            SetPlayRate(built.header, 8000);
            SaveSoundFile(whole.path(), trace.title, built.header, built.wave_data);
        } catch (const UserError&) {
            whole_failed = true;
        }
        if (whole_failed) {
            EXPECT_THROW(WriteTraceSoundFile(trace, 8000, blocks.path(), [] { return true; }),
                         UserError);
            EXPECT_FALSE(std::filesystem::exists(blocks / "memory.wav"));
            continue;
        }
        const SoundFileOutcome outcome =
            WriteTraceSoundFile(trace, 8000, blocks.path(), [] { return true; });
        EXPECT_TRUE(outcome.written);
        EXPECT_EQ(outcome.path, blocks / "memory.wav");
        EXPECT_TRUE(ReadFileBytes(blocks / "memory.wav") == ReadFileBytes(whole / "memory.wav"));

        const psn::PSNRecords records = psn::BuildPSNRecords(trace.info);
        psn::WritePsnFile(whole / "m.psn", records, std::span<const float>(c.samples));
        psn::WritePsnFile(blocks / "m.psn", records, *trace.samples);
        EXPECT_TRUE(ReadFileBytes(blocks / "m.psn") == ReadFileBytes(whole / "m.psn"));
    }
}

TEST(SoundFile, AFileHoldingDataIsKeptUnlessReplaceAgrees) {
    const trace::LoadedTrace trace = MemoryTrace(Wobble(100, 0.0f));
    for (const bool replace : {false, true}) {
        TempDir dir;
        { std::ofstream(dir / "memory.wav") << "old"; }
        int asked = 0;
        const SoundFileOutcome outcome = WriteTraceSoundFile(trace, 100, dir.path(), [&] {
            ++asked;
            return replace;
        });
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(outcome.written, replace);
        EXPECT_EQ(ReadFileBytes(dir / "memory.wav").size(), replace ? 244u : 3u);
    }
}

}  // namespace
}  // namespace tremorline::sound
