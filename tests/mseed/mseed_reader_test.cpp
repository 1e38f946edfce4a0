// SPDX-License-Identifier: MIT
#include "mseed/mseed_reader.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "common/sample_source.h"
#include "common/user_error.h"
#include "support/mseed_builder.h"
#include "support/sac_builder.h"
#include "support/temp_dir.h"

namespace tremorline::mseed {
namespace {

namespace fs = std::filesystem;
using testing::Encoding;
using testing::PackRecords;
using testing::RecordRun;
using testing::TempDir;

constexpr Microseconds kSecond = 1'000'000;
constexpr Microseconds kStart = 1'299'822'383'000'000;  // 2011-03-11 05:46:23

using Bytes = std::vector<unsigned char>;

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) {
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}

fs::path Write(const TempDir& dir, const std::string& name, const Bytes& bytes) {
    const fs::path path = dir / name;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return path;
}

RecordRun Channel(Microseconds start, std::size_t count, double rate = 20.0) {
    return {.start = start, .rate = rate, .samples = testing::WavyIntegers(count, 1000)};
}

std::vector<float> Floats(const std::vector<double>& values) {
    return {values.begin(), values.end()};
}

TEST(ReadMiniSeed, FollowOnRecordsAreOneSegmentWithTheirSamples) {
    TempDir dir;
    // 1000 Steim-2 samples fill several 512-byte records.
    const RecordRun run = Channel(kStart, 1000);
    const Bytes bytes = PackRecords(run);
    ASSERT_GT(bytes.size(), 512u * 2);
    const std::vector<Segment> segments = ReadMiniSeed(Write(dir, "one.mseed", bytes));

    ASSERT_EQ(segments.size(), 1u);
    const Segment& segment = segments[0];
    EXPECT_EQ(segment.source.Name(), "XX.TEST.00.BHZ");
    EXPECT_EQ(segment.title, "XX.TEST.00.BHZ.D.2011.070.054623.SAC");
    EXPECT_EQ(segment.start, kStart);
    EXPECT_EQ(segment.end, kStart + 999 * kSecond / 20);
    EXPECT_EQ(segment.rate, 20.0);
    EXPECT_EQ(segment.count, 1000);
    EXPECT_FALSE(segment.gap_before.has_value());
    EXPECT_EQ(segment.header.ints[sac::integer::NPTS], 1000);
    EXPECT_EQ(ReadAllSamples(*segment.samples), Floats(run.samples));
    EXPECT_TRUE(segment.notes.empty());
}

TEST(ReadMiniSeed, EachEncodingBecomesFloats) {
    struct Case {
        Encoding encoding;
        std::vector<double> samples;
        std::vector<float> expected;
    };
    const std::vector<Case> cases = {
        {Encoding::Int16, {-32768, 0, 32767}, {-32768.0f, 0.0f, 32767.0f}},
        // Integers beyond 2^24 go to the nearest float.
        {Encoding::Int32, {16777217, -2147483647, 7}, {16777216.0f, -2147483648.0f, 7.0f}},
        {Encoding::Steim1, {1, -100000, 3}, {1.0f, -100000.0f, 3.0f}},
        {Encoding::Steim2, {5, 6, -7}, {5.0f, 6.0f, -7.0f}},
        {Encoding::Float32, {0.1, -2.5e-3, 1e30}, {0.1f, -2.5e-3f, 1e30f}},
        // Doubles are rounded to floats; beyond the float range they become
        // infinities rather than undefined values.
        {Encoding::Float64, {0.1, 1e300, -1e300}, {0.1f, INFINITY, -INFINITY}},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.encoding));
        RecordRun run = Channel(kStart, 0);
        run.encoding = c.encoding;
        run.samples = c.samples;
        const std::vector<Segment> segments = ReadMiniSeed(Write(dir, "e.mseed", PackRecords(run)));
        ASSERT_EQ(segments.size(), 1u);
        EXPECT_EQ(ReadAllSamples(*segments[0].samples), c.expected);
    }
}

TEST(ReadMiniSeed, GapsOverlapsRatesAndQualitiesStartNewSegments) {
    // 200 samples at 20 Hz run from 0 to 9.95 s; the next would be due at 10 s.
    RecordRun faster = Channel(kStart + 20 * kSecond, 100, 40.0);
    RecordRun other_quality = Channel(kStart + 30 * kSecond, 100);
    other_quality.quality = 'M';
    RecordRun other_channel = Channel(kStart + 2 * kSecond, 10);
    other_channel.channel = "BHN";

    TempDir dir;
    const Bytes bytes = Join({
        PackRecords(Channel(kStart, 100)),
        PackRecords(Channel(kStart + 5 * kSecond, 100)),  // follows on: joins the first
        PackRecords(Channel(kStart + 12 * kSecond, 20)),  // 2 s missing
        PackRecords(Channel(kStart + 9 * kSecond, 10)),   // 1 s over the first's end
        PackRecords(other_channel),                       // its channel's first segment
        PackRecords(faster),                              // another rate, 7 s on
        PackRecords(other_quality),                       // another quality code
    });
    const std::vector<Segment> segments = ReadMiniSeed(Write(dir, "mixed.mseed", bytes));

    struct Expected {
        Microseconds start;
        std::int32_t count;
        std::optional<double> gap_before;
        std::string title;
    };
    const std::vector<Expected> expected = {
        {kStart, 200, std::nullopt, "XX.TEST.00.BHZ.D.2011.070.054623.SAC"},
        {kStart + 12 * kSecond, 20, 2.0, "XX.TEST.00.BHZ.D.2011.070.054635.SAC"},
        {kStart + 9 * kSecond, 10, -1.0, "XX.TEST.00.BHZ.D.2011.070.054632.SAC"},
        {kStart + 2 * kSecond, 10, std::nullopt, "XX.TEST.00.BHN.D.2011.070.054625.SAC"},
        {kStart + 20 * kSecond, 100, 7.0, "XX.TEST.00.BHZ.D.2011.070.054643.SAC"},
        // 100 samples at 40 Hz end at 22.475 s, the next due at 22.5 s.
        {kStart + 30 * kSecond, 100, 7.5, "XX.TEST.00.BHZ.M.2011.070.054653.SAC"},
    };
    ASSERT_EQ(segments.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(segments[i].start, expected[i].start);
        EXPECT_EQ(segments[i].count, expected[i].count);
        EXPECT_EQ(segments[i].title, expected[i].title);
        ASSERT_EQ(segments[i].gap_before.has_value(), expected[i].gap_before.has_value());
        if (expected[i].gap_before) {
            EXPECT_NEAR(*segments[i].gap_before, *expected[i].gap_before, 1e-9);
        }
    }
}

TEST(ReadMiniSeed, SegmentsOfOneNameAreToldApartInFileOrder) {
    TempDir dir;
    const Bytes run = PackRecords(Channel(kStart + 250'000, 10));
    const Bytes later = PackRecords(Channel(kStart + 500'000, 10));  // same second
    const std::vector<Segment> segments =
        ReadMiniSeed(Write(dir, "same.mseed", Join({run, later, run})));
    ASSERT_EQ(segments.size(), 3u);
    EXPECT_EQ(segments[0].title, "XX.TEST.00.BHZ.D.2011.070.054623.SAC");
    EXPECT_EQ(segments[1].title, "XX.TEST.00.BHZ.D.2011.070.054623-1.SAC");
    EXPECT_EQ(segments[2].title, "XX.TEST.00.BHZ.D.2011.070.054623-2.SAC");
}

TEST(ReadMiniSeed, ACompressedRecordFailingItsIntegrityCheckIsKeptWithANote) {
    TempDir dir;
    Bytes bytes = PackRecords(Channel(kStart, 100));
    // The last sample's value, kept in the first frame after the first value
    // (bytes 8-11 of the data, which start at 64), no longer matches.
    bytes[64 + 11] ^= 0x01;
    const std::vector<Segment> segments = ReadMiniSeed(Write(dir, "xn.mseed", bytes));
    ASSERT_EQ(segments.size(), 1u);
    EXPECT_EQ(segments[0].count, 100);
    ASSERT_EQ(segments[0].notes.size(), 1u);
    EXPECT_NE(segments[0].notes[0].find("record 1 at byte 0"), std::string::npos);
    EXPECT_NE(segments[0].notes[0].find("integrity"), std::string::npos);
}

// The library takes the name "-" for standard input; a file of that name in
// the current folder must be read as the file.
TEST(ReadMiniSeed, AFileNamedDashIsReadAsAFile) {
    TempDir dir;
    Write(dir, "-", PackRecords(Channel(kStart, 10)));
    struct InFolder {
        fs::path saved = fs::current_path();
        explicit InFolder(const fs::path& folder) { fs::current_path(folder); }
        ~InFolder() {
            std::error_code ignored;
            fs::current_path(saved, ignored);
        }
    } here(dir.path());
    EXPECT_EQ(ReadMiniSeed("-").at(0).count, 10);
}

// Fixed header of a record, big-endian as the builder packs them, and the
// blockette that follows it:
//
//   offset  size  field
//   20      2     start year        22  2  day of year
//   24      1     hour              25  1  minute      26  1  second
//   28      2     1/10000 s
//   30      2     number of samples
//   32      2     sample rate factor    34  2  multiplier
//   44      2     offset of the data (64 here)
//   48      2     blockette type 1000
//   52      1     encoding          54  1  record length as a power of 2
void PutBE16(Bytes& bytes, std::size_t offset, std::uint16_t value) {
    bytes.at(offset) = static_cast<unsigned char>(value >> 8);
    bytes.at(offset + 1) = static_cast<unsigned char>(value & 0xFF);
}

TEST(ReadMiniSeed, BadInputIsRefusedWithItsReason) {
    // Three Steim-2 records of 512 bytes; the damage goes into the second.
    const Bytes good = PackRecords(Channel(kStart, 1200));
    ASSERT_GE(good.size(), 3u * 512);
    constexpr std::size_t kSecondRecord = 512;
    const auto damaged = [&](auto change) {
        Bytes bytes = good;
        change(bytes);
        return bytes;
    };
    struct Case {
        std::string name;
        Bytes bytes;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {"empty", {}, "the file is empty"},
        {"cut in the first header", Bytes(good.begin(), good.begin() + 30),
         "the file ends in the middle of record 1 at byte 0 (it is truncated), and no whole "
         "record before it holds samples"},
        {"bytes after the records", Join({good, Bytes(100, 'x')}),
         "at byte " + std::to_string(good.size()) + ": what follows is not a miniSEED record"},
        {"a blockette pointing at itself", damaged([&](Bytes& b) {
             PutBE16(b, kSecondRecord + 48, 0);   // a blockette of no known type
             PutBE16(b, kSecondRecord + 50, 48);  // whose next one is itself
         }),
         "record 2 at byte 512: its chain of blockettes is damaged (Invalid blockette offset"},
        {"text", Bytes(600, 'x'), "not a miniSEED record"},
        {"a SAC file", testing::SacBuilder().Bytes(), "not a miniSEED record"},
        {"garbage header",
         damaged([&](Bytes& b) { std::fill_n(b.begin() + kSecondRecord, 48, 'Z'); }),
         "record 2 at byte 512: what follows is not a miniSEED record"},
        {"day 400", damaged([&](Bytes& b) { PutBE16(b, kSecondRecord + 22, 400); }),
         "record 2 at byte 512: its start time (2011, day 400, "},
        {"day 366 in 2011", damaged([&](Bytes& b) { PutBE16(b, kSecondRecord + 22, 366); }),
         "start time"},
        {"hour 25", damaged([&](Bytes& b) { b[kSecondRecord + 24] = 25; }),
         "record 2 at byte 512: what follows is not a miniSEED record (the start time in its "
         "header is impossible)"},
        {"fraction 10000", damaged([&](Bytes& b) { PutBE16(b, kSecondRecord + 28, 10000); }),
         "record 2"},
        {"rate 0", damaged([&](Bytes& b) { PutBE16(b, kSecondRecord + 32, 0); }),
         "record 2 at byte 512: its sample rate (0.000000) is impossible"},
        {"65535 samples claimed", damaged([&](Bytes& b) { PutBE16(b, kSecondRecord + 30, 65535); }),
         "record 2 at byte 512: its header or samples are damaged and cannot be decoded "
         "(msr_unpack_data(XX_TEST_00_BHZ_D): only decoded"},
        {"more samples claimed than held",
         damaged([&](Bytes& b) { PutBE16(b, kSecondRecord + 30, 5000); }), "record 2 at byte 512"},
        {"16-bit samples past the record's end", damaged([&](Bytes& b) {
             b[kSecondRecord + 52] = 1;  // 16-bit integers, uncompressed
             PutBE16(b, kSecondRecord + 30, 65535);
         }),
         "record 2 at byte 512: its samples would run past the end of the record"},
        {"unknown encoding", damaged([&](Bytes& b) { b[kSecondRecord + 52] = 99; }),
         "its samples are in an encoding that cannot be decoded"},
        {"record length 2^30", damaged([&](Bytes& b) { b[kSecondRecord + 54] = 30; }),
         "record 2 at byte 512"},
        {"record length 2^20 in a small file", damaged([&](Bytes& b) { b[54] = 20; }),
         "record 1 at byte 0, which claims 1048576 bytes (it is truncated)"},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path path = Write(dir, "bad.mseed", c.bytes);
        try {
            ReadMiniSeed(path);
            ADD_FAILURE() << "accepted";
        } catch (const UserError& error) {
            const std::string message = error.what();
            EXPECT_NE(message.find(path.string()), std::string::npos) << message;
            EXPECT_NE(message.find(c.reason), std::string::npos) << message;
        }
    }
}

// A file still being written, or cut short, ends inside a record: the whole
// records before it are read, and a note says what was left out.
TEST(ReadMiniSeed, AFileCutInARecordIsReadUpToItsLastWholeRecord) {
    const RecordRun run = Channel(kStart, 1200);
    const Bytes good = PackRecords(run);
    ASSERT_GE(good.size(), 3u * 512);
    TempDir dir;
    const std::vector<float> all = Floats(run.samples);
    // Cut in the second record, in the last byte, in a record's fixed header,
    // and after its header.
    for (const std::size_t size :
         {std::size_t{700}, good.size() - 1, std::size_t{512 + 30}, std::size_t{512 + 100}}) {
        SCOPED_TRACE(size);
        const std::size_t whole_records = size / 512;
        const Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size));
        const Bytes whole(good.begin(),
                          good.begin() + static_cast<std::ptrdiff_t>(512 * whole_records));
        const std::size_t expected =
            ReadMiniSeed(Write(dir, "whole.mseed", whole)).at(0).samples->Count();
        const std::string note =
            "the file ends in the middle of record " + std::to_string(whole_records + 1) +
            " at byte " + std::to_string(512 * whole_records) +
            (size % 512 >= 128 ? ", which claims 512 bytes" : "") + " (it is truncated): its " +
            std::to_string(size % 512) + " bytes there are left out";
        const std::vector<Segment> segments = ReadMiniSeed(Write(dir, "cut.mseed", cut));
        ASSERT_EQ(segments.size(), 1u);
        EXPECT_EQ(static_cast<std::size_t>(segments[0].count), expected);
        EXPECT_EQ(
            ReadAllSamples(*segments[0].samples),
            std::vector<float>(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(expected)));
        ASSERT_EQ(segments[0].notes.size(), 1u);
        EXPECT_NE(segments[0].notes[0].find(note), std::string::npos) << segments[0].notes[0];
    }
}

// The library warns once per damaged record; a file of many gives a bounded
// list of notes, however long it is.
TEST(ReadMiniSeed, WarningsAreBoundedPerFile) {
    Bytes bytes = PackRecords(Channel(kStart, 40000));
    const std::size_t records = bytes.size() / 512;
    ASSERT_GT(records, 60u);
    for (std::size_t record = 0; record < records; ++record) {
        bytes[record * 512 + 64 + 11] ^= 0x01;  // each record's last-sample check fails
    }
    TempDir dir;
    const std::vector<Segment> segments = ReadMiniSeed(Write(dir, "many.mseed", bytes));
    ASSERT_EQ(segments.size(), 1u);
    ASSERT_EQ(segments[0].notes.size(), 51u);
    EXPECT_NE(segments[0].notes[0].find("integrity"), std::string::npos);
    EXPECT_EQ(segments[0].notes.back(),
              std::to_string(records - 50) + " more warnings of the library are left out");
}

// A segment's samples are decoded from the file when they are read, any
// stretch of them, from several threads at once.
TEST(ReadMiniSeed, SamplesAreDecodedFromTheFileWhenRead) {
    const RecordRun run = Channel(kStart, 5000);
    TempDir dir;
    const fs::path path = Write(dir, "long.mseed", PackRecords(run));
    const std::vector<Segment> segments = ReadMiniSeed(path);
    ASSERT_EQ(segments.size(), 1u);
    const SampleSource& source = *segments[0].samples;
    const std::vector<float> all = Floats(run.samples);
    ASSERT_EQ(ReadAllSamples(source), all);

    const auto stretch_matches = [&](std::size_t first, std::size_t count) {
        std::vector<float> out(count);
        source.Read(first, out);
        return std::equal(out.begin(), out.end(), all.begin() + static_cast<std::ptrdiff_t>(first));
    };
    std::vector<std::thread> readers;
    std::atomic<int> mismatches{0};
    for (std::size_t step : {1u, 7u, 97u, 1000u}) {
        readers.emplace_back([&, step] {
            for (std::size_t first = 0; first + step <= all.size(); first += step) {
                if (!stretch_matches(first, step)) {
                    ++mismatches;
                }
            }
        });
    }
    for (std::thread& reader : readers) {
        reader.join();
    }
    EXPECT_EQ(mismatches.load(), 0);
    EXPECT_TRUE(stretch_matches(all.size(), 0));
    std::vector<float> past(2);
    EXPECT_THROW(source.Read(all.size() - 1, past), UserError);

    // Nothing was kept from the load: a record damaged since is found when
    // its samples are read.
    Bytes changed = testing::ReadFileBytes(path);
    std::fill_n(changed.begin() + 1024, 100, 'Z');
    Write(dir, "long.mseed", changed);
    std::vector<float> out(all.size());
    try {
        source.Read(0, out);
        ADD_FAILURE() << "read a changed record";
    } catch (const UserError& error) {
        EXPECT_NE(std::string(error.what()).find("record 3 at byte 1024"), std::string::npos)
            << error.what();
    }
}

TEST(ReadMiniSeed, ZerosAfterTheLastRecordArePadding) {
    TempDir dir;
    const Bytes bytes = Join({PackRecords(Channel(kStart, 10)), Bytes(300, 0)});
    EXPECT_EQ(ReadMiniSeed(Write(dir, "padded.mseed", bytes)).at(0).count, 10);
}

TEST(ReadMiniSeed, PathsThatAreNotFilesAreRefused) {
    TempDir dir;
    EXPECT_THROW(ReadMiniSeed(dir.path()), UserError);
    EXPECT_THROW(ReadMiniSeed(dir / "missing.mseed"), UserError);
}

TEST(LooksLikeMiniSeed, KnowsARecordFromOtherFiles) {
    const Bytes record = PackRecords(Channel(kStart, 10));
    EXPECT_TRUE(LooksLikeMiniSeed(record));
    EXPECT_TRUE(LooksLikeMiniSeed(Bytes(record.begin(), record.begin() + 64)));
    EXPECT_FALSE(LooksLikeMiniSeed(Bytes(record.begin(), record.begin() + 47)));
    EXPECT_FALSE(LooksLikeMiniSeed(Bytes{}));
    EXPECT_FALSE(LooksLikeMiniSeed(Bytes(1000, 0)));
    EXPECT_FALSE(LooksLikeMiniSeed(Bytes(1000, ' ')));
    EXPECT_FALSE(LooksLikeMiniSeed(testing::SacBuilder().Bytes()));
    EXPECT_FALSE(LooksLikeMiniSeed(testing::SacBuilder().BigEndian().Bytes()));

    TempDir dir;
    EXPECT_TRUE(IsMiniSeedFile(Write(dir, "a.mseed", record)));
    EXPECT_FALSE(IsMiniSeedFile(Write(dir, "b.sac", testing::SacBuilder().Bytes())));
    EXPECT_FALSE(IsMiniSeedFile(dir / "missing.mseed"));
    EXPECT_FALSE(IsMiniSeedFile(dir.path()));
}

}  // namespace
}  // namespace tremorline::mseed
