// SPDX-License-Identifier: MIT
// Each segment read from a miniSEED file must be, header and samples, the SAC
// file that the Debian mseed2sac tool writes for it, byte for byte, under the
// same name. The tool is run here on the example record shipped with
// libmseed, on variants of it with a record removed (a gap) and doubled (an
// overlap), and on built files that exercise every encoding, odd rates and
// start times.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "common/sample_source.h"
#include "mseed/mseed_reader.h"
#include "support/mseed_builder.h"
#include "support/mseed_converter.h"
#include "support/sac_file_bytes.h"
#include "support/temp_dir.h"

namespace tremorline::mseed {
namespace {

namespace fs = std::filesystem;
using testing::Encoding;
using testing::FindConverter;
using testing::FindExampleRecord;
using testing::PackRecords;
using testing::RecordRun;
using testing::TempDir;
using testing::WriteBytes;

// Converts `input` with the tool into a folder of its own; the files it wrote.
std::map<std::string, std::vector<unsigned char>> Convert(const fs::path& converter,
                                                          const fs::path& input,
                                                          const fs::path& folder) {
    EXPECT_TRUE(testing::RunConverter(converter, input, folder)) << input;
    std::map<std::string, std::vector<unsigned char>> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        files[entry.path().filename().string()] = testing::ReadFileBytes(entry.path());
    }
    return files;
}

void ExpectSameAsConverted(const fs::path& converter, const fs::path& input, const fs::path& folder,
                           std::size_t expected_segments) {
    SCOPED_TRACE(input.filename().string());
    const auto converted = Convert(converter, input, folder);
    const std::vector<Segment> segments = ReadMiniSeed(input);
    EXPECT_EQ(segments.size(), expected_segments);

    std::set<std::string> titles;
    for (const Segment& segment : segments) {
        SCOPED_TRACE(segment.title);
        titles.insert(segment.title);
        const auto file = converted.find(segment.title);
        ASSERT_NE(file, converted.end()) << "the tool wrote no file of this name";
        const std::vector<unsigned char> ours =
            testing::SacFileBytes(segment.header, ReadAllSamples(*segment.samples));
        ASSERT_EQ(ours.size(), file->second.size());
        const auto [at, theirs_at] = std::mismatch(ours.begin(), ours.end(), file->second.begin());
        EXPECT_TRUE(at == ours.end()) << "first difference at byte " << (at - ours.begin());
    }
    EXPECT_EQ(titles.size(), converted.size()) << "the tool wrote other files too";
}

class ConversionMatch : public ::testing::Test {
  protected:
    void SetUp() override {
        converter_ = FindConverter();
        if (!converter_) {
            GTEST_SKIP() << "mseed2sac is not installed; nothing to compare with";
        }
    }

    std::optional<fs::path> converter_;
    TempDir dir_;
};

TEST_F(ConversionMatch, ExampleRecordWithGapAndOverlapVariants) {
    const std::optional<fs::path> example = FindExampleRecord();
    if (!example) {
        GTEST_SKIP() << "libmseed's example record test.mseed is not installed";
    }
    const std::vector<unsigned char> bytes = testing::ReadFileBytes(*example);
    constexpr std::size_t kRecord = 512;
    ASSERT_EQ(bytes.size() % kRecord, 0u);
    ASSERT_GT(bytes.size() / kRecord, 12u);
    const auto record_start = [&](std::size_t n) {
        return bytes.begin() + static_cast<std::ptrdiff_t>(n * kRecord);
    };

    // Record 10 left out: a gap of its samples between two segments.
    std::vector<unsigned char> gap(bytes.begin(), record_start(10));
    gap.insert(gap.end(), record_start(11), bytes.end());
    // Record 10 twice: the copy overlaps and becomes a segment of its own.
    std::vector<unsigned char> overlap(bytes.begin(), record_start(11));
    overlap.insert(overlap.end(), record_start(10), bytes.end());
    // Three copies: two segments with the same start, so the same base name.
    std::vector<unsigned char> overlaps(bytes.begin(), record_start(11));
    overlaps.insert(overlaps.end(), record_start(10), record_start(11));
    overlaps.insert(overlaps.end(), record_start(10), bytes.end());

    WriteBytes(dir_ / "gap.mseed", gap);
    WriteBytes(dir_ / "overlap.mseed", overlap);
    WriteBytes(dir_ / "overlaps.mseed", overlaps);
    ExpectSameAsConverted(*converter_, *example, dir_ / "whole", 1);
    ExpectSameAsConverted(*converter_, dir_ / "gap.mseed", dir_ / "gap", 2);
    ExpectSameAsConverted(*converter_, dir_ / "overlap.mseed", dir_ / "overlap", 2);
    ExpectSameAsConverted(*converter_, dir_ / "overlaps.mseed", dir_ / "overlaps", 3);
}

TEST_F(ConversionMatch, EveryEncodingRateAndStartTime) {
    std::vector<unsigned char> file;
    const auto add = [&](RecordRun run) {
        const std::vector<unsigned char> records = PackRecords(run);
        file.insert(file.end(), records.begin(), records.end());
    };
    const auto reals = [](std::size_t count, double scale, double offset) {
        std::vector<double> out(count);
        for (std::size_t i = 0; i < count; ++i) {
            out[i] = scale * static_cast<double>((i * 37) % 101) / 101.0 + offset;
        }
        return out;
    };
    // Steim-2 at 40 Hz with an empty location code, starting mid-millisecond.
    add({.location = "",
         .channel = "BHZ",
         .start = 1'299'822'383'123'500,
         .rate = 40,
         .encoding = Encoding::Steim2,
         .samples = testing::WavyIntegers(5000, 100000)});
    // Steim-1 crossing midnight at the end of a leap year, at 0.1 Hz.
    add({.channel = "LHE",
         .quality = 'Q',
         .start = 1'356'998'398'000'500,
         .rate = 0.1,
         .encoding = Encoding::Steim1,
         .samples = testing::WavyIntegers(50, 3000, 2)});
    // 16-bit integers at 100 Hz, starting 0.1 ms before a new day.
    add({.location = "10",
         .channel = "HHN",
         .quality = 'R',
         .start = 1'299'887'999'999'900,
         .rate = 100,
         .encoding = Encoding::Int16,
         .samples = testing::WavyIntegers(3000, 30000)});
    // 32-bit integers too large for a float to hold exactly.
    add({.channel = "EHZ",
         .start = 1'370'044'800'000'000,
         .rate = 250,
         .encoding = Encoding::Int32,
         .samples = testing::WavyIntegers(1200, 2'000'000'000, 3)});
    // Floats and doubles (doubles are rounded to floats).
    add({.channel = "SHZ",
         .start = 1'370'044'801'000'000,
         .rate = 33.333333,
         .encoding = Encoding::Float32,
         .samples = reals(700, 2.5, 0.3)});
    add({.channel = "SHE",
         .start = 1'388'534'400'012'300,
         .rate = 20,
         .encoding = Encoding::Float64,
         .samples = reals(2000, 1e7, 0.123456789)});
    // Start times and lengths where E is only right when worked out from
    // the stored B.
    add({.channel = "HH1",
         .start = 1'299'822'383'000'300,
         .rate = 200,
         .encoding = Encoding::Steim2,
         .samples = testing::WavyIntegers(38, 500)});
    add({.channel = "HH2",
         .start = 1'299'822'383'000'700,
         .rate = 100,
         .encoding = Encoding::Steim2,
         .samples = testing::WavyIntegers(2, 500)});
    // The same channel again at another rate, and with another quality code:
    // each is a segment of its own.
    add({.channel = "BHZ",
         .start = 1'299'822'600'000'000,
         .rate = 40,
         .encoding = Encoding::Steim2,
         .samples = testing::WavyIntegers(100, 500)});
    add({.location = "",
         .channel = "BHZ",
         .start = 1'299'822'700'000'000,
         .rate = 20,
         .encoding = Encoding::Steim2,
         .samples = testing::WavyIntegers(100, 500)});
    add({.location = "",
         .channel = "BHZ",
         .quality = 'M',
         .start = 1'299'822'800'000'000,
         .rate = 20,
         .encoding = Encoding::Steim2,
         .samples = testing::WavyIntegers(100, 500)});
    WriteBytes(dir_ / "built.mseed", file);
    ExpectSameAsConverted(*converter_, dir_ / "built.mseed", dir_ / "built", 11);
}

}  // namespace
}  // namespace tremorline::mseed
