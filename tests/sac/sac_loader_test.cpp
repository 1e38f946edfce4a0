// SPDX-License-Identifier: MIT
#include "sac/sac_loader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>

#include "common/byte_order.h"
#include "common/user_error.h"
#include "sac/sac_sample_source.h"
#include "support/real_files.h"
#include "support/sac_builder.h"
#include "support/temp_dir.h"

namespace tremorline::sac {
namespace {

using testing::SacBuilder;
using testing::TempDir;
using testing::TestDataDir;

LoadedHeader LoadFile(const std::filesystem::path& path) {
    TraceFile file(path);
    return ReadSacHeader(file);
}

std::vector<float> SamplesOf(const std::filesystem::path& path) {
    auto file = std::make_shared<const TraceFile>(path);
    LoadedHeader loaded = ReadSacHeader(*file);
    return ReadAllSamples(SacSampleSource(file, loaded.order, loaded.header.ints[integer::NPTS]));
}

TEST(ByteOrder, DayOfYearDecidesTheOrder) {
    struct Case {
        std::int32_t day;
        ByteOrder little_file;
        ByteOrder big_file;
    };
    const Case cases[] = {
        {1, ByteOrder::Little, ByteOrder::Big},
        {366, ByteOrder::Little, ByteOrder::Big},
        {0, ByteOrder::Unknown, ByteOrder::Unknown},
        {367, ByteOrder::Unknown, ByteOrder::Unknown},
        {-12345, ByteOrder::Unknown, ByteOrder::Unknown},
    };
    for (const Case& c : cases) {
        std::int32_t as_big = c.day;
        SwapLong(as_big);  // the same four bytes read the other way
        EXPECT_EQ(DetectByteOrder(c.day), c.little_file) << c.day;
        EXPECT_EQ(DetectByteOrder(as_big), c.big_file) << c.day;
    }
    // A big-endian day 1 is 00 00 00 01, which reads as 16777216 little-endian.
    EXPECT_EQ(DetectByteOrder(16777216), ByteOrder::Big);
}

TEST(ByteOrder, BothOrdersOfOneHeaderLoadTheSameValues) {
    TempDir dir;
    SacBuilder builder;
    builder.Int(integer::NZJDAY, 366).Samples({1.5f, -2.25f, 3e10f, -0.0f});
    builder.WriteTo(dir / "little.sac");
    builder.BigEndian().WriteTo(dir / "big.sac");

    LoadedHeader little = LoadFile(dir / "little.sac");
    LoadedHeader big = LoadFile(dir / "big.sac");
    EXPECT_EQ(little.order, ByteOrder::Little);
    EXPECT_EQ(big.order, ByteOrder::Big);
    EXPECT_EQ(little.header, big.header);
    EXPECT_EQ(big.header.ints[integer::NZJDAY], 366);
    EXPECT_FLOAT_EQ(big.header.reals[real::DELTA], 0.01f);
    EXPECT_EQ(SamplesOf(dir / "little.sac"), SamplesOf(dir / "big.sac"));
    EXPECT_EQ(SamplesOf(dir / "big.sac"), (std::vector<float>{1.5f, -2.25f, 3e10f, -0.0f}));
}

TEST(ByteOrder, AHeaderOfZerosIsUnknown) {
    TempDir dir;
    SacBuilder::WriteBytes(dir / "zeros.sac", std::vector<unsigned char>(1000, 0));
    EXPECT_EQ(LoadFile(dir / "zeros.sac").order, ByteOrder::Unknown);
}

TEST(ByteOrder, SwappingMovesBytesWithoutTouchingTheirValue) {
    // A signalling NaN must come through a swap with its bits intact.
    const std::uint32_t snan_bits = 0x7F800001u;
    float value = std::bit_cast<float>(ByteSwap32(snan_bits));
    SwapReal(value);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(value), snan_bits);
}

TEST(HeaderLayout, FieldsStandAtTheirOffsets) {
    SacBuilder builder;
    builder.Text(text::KSTNM, "ABCDE").Int(integer::NPTS, 7).Samples({});
    builder.Int(integer::NPTS, 0);
    std::vector<unsigned char> bytes = builder.Bytes();
    ASSERT_EQ(bytes.size(), kHeaderSize);
    // Mark a few fields straight in the bytes.
    PutLEI32(bytes, 316, 1234);                        // NPTS
    PutLEF32(bytes, 4 * 39, 4.5f);                     // MAG
    std::memcpy(&bytes[448], "0123456789ABCDEF", 16);  // KEVNM, two slots
    std::memcpy(&bytes[480], "KA-SLOT5", 8);           // KA, number 114
    SacHeader header = ParseSacHeader(
        std::span<const unsigned char, kHeaderSize>(bytes.data(), kHeaderSize), ByteOrder::Little);
    EXPECT_EQ(header.ints[integer::NPTS], 1234);
    EXPECT_EQ(header.reals[real::MAG], 4.5f);
    EXPECT_EQ(header.Text(text::KSTNM), "ABCDE   ");
    EXPECT_EQ(header.Text(1) + header.Text(2), "0123456789ABCDEF");
    EXPECT_EQ(header.Text(5), "KA-SLOT5");
}

TEST(TextNulls, NulsBecomeSpacesAndNothingElseChanges) {
    struct Case {
        std::string raw;
        std::string blanked;
    };
    const Case cases[] = {
        {std::string("ABC\0\0\0\0\0", 8), "ABC     "},
        {"        ", "        "},
        {std::string("PIN1\0"
                     "5\0\0",
                     8),
         "PIN1 5  "},
        {"\xE9t\xE9  abc", "\xE9t\xE9  abc"},
    };
    for (const Case& c : cases) {
        TextSlot slot{};
        std::memcpy(slot.data(), c.raw.data(), 8);
        BlankTextNulls(slot);
        EXPECT_EQ(std::string(slot.data(), 8), c.blanked);
    }
}

TEST(RealFiles, BothByteOrdersOfTheSameTraceAgree) {
    TREMORLINE_NEEDS_REAL_FILES();
    LoadedHeader little = LoadFile(TestDataDir() / "test.sac");
    LoadedHeader big = LoadFile(TestDataDir() / "test.sac.swap");
    ASSERT_EQ(little.order, ByteOrder::Little);
    ASSERT_EQ(big.order, ByteOrder::Big);
    for (std::size_t i = 0; i < kRealCount; ++i) {
        if (i == 56) {
            // DEPMEN: the two writers computed the mean separately; it differs
            // in its last digits and is compared loosely.
            EXPECT_NEAR(little.header.reals[i], big.header.reals[i], 1e-6);
            continue;
        }
        EXPECT_EQ(std::bit_cast<std::uint32_t>(little.header.reals[i]),
                  std::bit_cast<std::uint32_t>(big.header.reals[i]))
            << "real " << i;
    }
    EXPECT_EQ(little.header.ints, big.header.ints);
    EXPECT_EQ(little.header.texts, big.header.texts);
    std::vector<float> samples = SamplesOf(TestDataDir() / "test.sac");
    EXPECT_EQ(samples, SamplesOf(TestDataDir() / "test.sac.swap"));
    ASSERT_EQ(samples.size(), 100u);
    EXPECT_EQ(little.header.Text(text::KSTNM), "STA     ");
    EXPECT_EQ(little.header.reals[real::O], kUndefined);
}

TEST(RealFiles, OtherWritersHeadersReadAsExpected) {
    TREMORLINE_NEEDS_REAL_FILES();
    LoadedHeader lmow = LoadFile(TestDataDir() / "LMOW.BHE.SAC");
    EXPECT_EQ(lmow.order, ByteOrder::Little);
    EXPECT_EQ(lmow.header.ints[integer::NZMSEC], 465);
    EXPECT_EQ(lmow.header.ints[integer::NPTS], 100);
    EXPECT_EQ(lmow.header.Text(text::KNETWK), "-12345  ");

    LoadedHeader crlz = LoadFile(TestDataDir() / "CRLZ.HHZ.10.NZ.SAC");
    EXPECT_EQ(crlz.header.ints[integer::NZMSEC], 7);
    EXPECT_EQ(SamplesOf(TestDataDir() / "CRLZ.HHZ.10.NZ.SAC").size(), 32768u);

    LoadedHeader nulls = LoadFile(TestDataDir() / "null_terminated.sac");
    for (const TextSlot& slot : nulls.header.texts) {
        EXPECT_EQ(std::count(slot.begin(), slot.end(), '\0'), 0);
    }

    EXPECT_EQ(LoadFile(TestDataDir() / "testxy.sac").order, ByteOrder::Unknown);
}

TEST(ShortFiles, MissingBytesAreAnErrorNeverZeros) {
    TempDir dir;
    std::vector<unsigned char> bytes = SacBuilder().Bytes();
    const std::size_t lengths[] = {0, 100, 287, 288, 631};
    for (std::size_t length : lengths) {
        std::vector<unsigned char> cut(bytes.begin(), bytes.begin() + static_cast<long>(length));
        SacBuilder::WriteBytes(dir / "short.sac", cut);
        // 288 bytes decide the order but still lack the header.
        EXPECT_THROW(LoadFile(dir / "short.sac"), UserError) << length;
    }
}

TEST(TraceFileOpen, NonRegularFilesAreRefusedWithTheirReason) {
    TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "fifo.sac").c_str(), 0600), 0);
    struct Case {
        std::filesystem::path path;
        const char* reason;
    };
    const Case cases[] = {
        {dir / "missing.sac", "No such file or directory"},
        {dir / "fifo.sac", "it is not a regular file"},  // refused without blocking
        {dir.path(), "it is a folder"},
    };
    for (const Case& c : cases) {
        errno = ENOENT;  // a stale error must not stand in for the real reason
        try {
            TraceFile file(c.path);
            ADD_FAILURE() << "opened " << c.path;
        } catch (const UserError& failure) {
            EXPECT_EQ(std::string(failure.what()),
                      "Cannot open " + c.path.string() + ": " + c.reason);
        }
    }
}

}  // namespace
}  // namespace tremorline::sac
