// SPDX-License-Identifier: MIT
#include "sac/sac_sample_source.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <span>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "common/user_error.h"
#include "support/sac_builder.h"
#include "support/temp_dir.h"

namespace tremorline::sac {
namespace {

using testing::SacBuilder;
using testing::TempDir;

// Samples compared bit for bit, so that a NaN payload or -0 that a swap got
// wrong is seen.
std::vector<std::uint32_t> Bits(const std::vector<float>& samples) {
    std::vector<std::uint32_t> bits;
    for (float value : samples) {
        bits.push_back(std::bit_cast<std::uint32_t>(value));
    }
    return bits;
}

std::vector<float> Wave(std::size_t count) {
    std::vector<float> samples(count);
    for (std::size_t i = 0; i < count; ++i) {
        samples[i] = static_cast<float>(std::sin(0.37 * static_cast<double>(i)) * 1000.0);
    }
    samples[3] = -0.0f;
    samples[5] = std::bit_cast<float>(std::uint32_t{0x7FC01234});  // a NaN with a payload
    samples[7] = std::numeric_limits<float>::denorm_min();
    return samples;
}

SacSampleSource SourceFor(const std::filesystem::path& path, ByteOrder order, std::int32_t npts) {
    return SacSampleSource(std::make_shared<const TraceFile>(path), order, npts);
}

TEST(SacSampleSource, WholeAndInChunksGiveTheSameSamplesInBothByteOrders) {
    TempDir dir;
    const std::vector<float> expected = Wave(1001);
    SacBuilder builder;
    builder.Samples(expected).WriteTo(dir / "little.sac");
    builder.BigEndian().WriteTo(dir / "big.sac");

    for (const auto& [name, order] :
         {std::pair{"little.sac", ByteOrder::Little}, std::pair{"big.sac", ByteOrder::Big}}) {
        SCOPED_TRACE(name);
        const SacSampleSource source = SourceFor(dir / name, order, 1001);
        ASSERT_EQ(source.Count(), 1001u);
        EXPECT_EQ(Bits(ReadAllSamples(source)), Bits(expected));
        for (std::size_t chunk : {1u, 7u, 256u, 1000u}) {
            std::vector<float> pieced(source.Count());
            for (std::size_t first = 0; first < pieced.size(); first += chunk) {
                const std::size_t count = std::min(chunk, pieced.size() - first);
                source.Read(first, std::span<float>(pieced).subspan(first, count));
            }
            EXPECT_EQ(Bits(pieced), Bits(expected)) << "chunks of " << chunk;
        }
    }
}

TEST(SacSampleSource, ReadsFromSeveralThreadsAtOnce) {
    TempDir dir;
    const std::vector<float> expected = Wave(40000);
    SacBuilder().Samples(expected).BigEndian().WriteTo(dir / "big.sac");
    const SacSampleSource source = SourceFor(dir / "big.sac", ByteOrder::Big, 40000);
    std::vector<float> first_half(20000);
    std::vector<float> second_half(20000);
    std::thread reader([&] {
        for (std::size_t i = 0; i < first_half.size(); i += 100) {
            source.Read(i, std::span<float>(first_half).subspan(i, 100));
        }
    });
    for (std::size_t i = 0; i < second_half.size(); i += 100) {
        source.Read(20000 + i, std::span<float>(second_half).subspan(i, 100));
    }
    reader.join();
    first_half.insert(first_half.end(), second_half.begin(), second_half.end());
    EXPECT_EQ(Bits(first_half), Bits(expected));
}

TEST(SacSampleSource, RefusesStretchesTheFileOrTheTraceDoesNotHold) {
    TempDir dir;
    SacBuilder().Samples({1, 2, 3}).WriteTo(dir / "three.sac");
    std::vector<float> out(2);

    const SacSampleSource three = SourceFor(dir / "three.sac", ByteOrder::Little, 3);
    EXPECT_THROW(three.Read(2, out), UserError);  // past the last sample
    three.Read(1, out);
    EXPECT_EQ(out, (std::vector<float>{2, 3}));

    // NPTS larger than the file: even a stretch the file holds is refused,
    // saying how short the file is.
    const SacSampleSource claims_more = SourceFor(dir / "three.sac", ByteOrder::Little, 4);
    try {
        claims_more.Read(0, out);
        ADD_FAILURE() << "read a trace longer than its file";
    } catch (const UserError& failure) {
        EXPECT_EQ(std::string(failure.what()),
                  "The trace file is too short for its 4 samples: it has 644 bytes, 648 are "
                  "needed.");
    }
    EXPECT_EQ(SourceFor(dir / "three.sac", ByteOrder::Little, -5).Count(), 0u);
}

}  // namespace
}  // namespace tremorline::sac
