// SPDX-License-Identifier: MIT
// A miniSEED file given to the batch tool must give, segment by segment, the
// summary, PSN file and WAVE file that the SAC files converted from it give:
// byte for byte, apart from the summary's first line. Run on libmseed's
// example record and on variants with a gap and an overlap.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "sac/sac_loader.h"
#include "support/mseed_converter.h"
#include "support/run_cli.h"
#include "support/temp_dir.h"

namespace tremorline::testing {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// The summaries in a `summary` output, each without its first line, split
// where a line starts with `title_start`.
std::vector<std::string> SummaryBodies(const std::string& out, const std::string& title_start) {
    std::vector<std::string> bodies;
    for (const std::string& line : Lines(out)) {
        if (line.starts_with(title_start)) {
            bodies.emplace_back();
            continue;
        }
        if (bodies.empty()) {
            ADD_FAILURE() << "output does not start with a title line: " << line;
            bodies.emplace_back();
        }
        bodies.back() += line + "\n";
    }
    return bodies;
}

// The files in a folder by name, with their bytes.
std::map<std::string, std::vector<unsigned char>> FolderFiles(const fs::path& folder) {
    std::map<std::string, std::vector<unsigned char>> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        files[entry.path().filename().string()] = ReadFileBytes(entry.path());
    }
    return files;
}

void ExpectSameAsConverted(const fs::path& converter, const fs::path& input, const fs::path& work,
                           std::size_t segments) {
    SCOPED_TRACE(input.filename().string());
    const fs::path converted = work / "sac";
    ASSERT_TRUE(RunConverter(converter, input, converted));

    // The WAVE files come first: their names give the segments' SAC names in
    // the order the batch tool takes the segments.
    fs::create_directories(work / "wav-mseed");
    fs::create_directories(work / "wav-sac");
    const RunResult wav = RunCli(
        {"wav", "--rate", "8000", "--output-dir", (work / "wav-mseed").string(), input.string()});
    ASSERT_EQ(wav.status, 0) << wav.err;
    std::vector<std::string> sac_files;
    for (const std::string& line : Lines(wav.out)) {
        const fs::path written = line.substr(line.rfind(' ') + 1);
        sac_files.push_back((converted / written.stem()).string() + ".SAC");
    }
    ASSERT_EQ(sac_files.size(), segments);
    ASSERT_EQ(FolderFiles(converted).size(), segments) << "the converter wrote other files";

    std::vector<std::string> wav_sac_arguments = {"wav", "--rate", "8000", "--output-dir",
                                                  (work / "wav-sac").string()};
    wav_sac_arguments.insert(wav_sac_arguments.end(), sac_files.begin(), sac_files.end());
    ASSERT_EQ(RunCli(wav_sac_arguments).status, 0);
    EXPECT_EQ(FolderFiles(work / "wav-mseed"), FolderFiles(work / "wav-sac"));

    // Summaries: equal after the first line, which names the miniSEED file
    // and the segment's source.
    const RunResult summary = RunCli({"summary", input.string()});
    ASSERT_EQ(summary.status, 0) << summary.err;
    const std::string mseed_title = input.filename().string() + "  IU.COLA.00.LHZ";
    EXPECT_EQ(Lines(summary.out).front(), mseed_title);
    const std::vector<std::string> ours = SummaryBodies(summary.out, mseed_title);
    ASSERT_EQ(ours.size(), segments);
    for (std::size_t i = 0; i < segments; ++i) {
        const RunResult sac = RunCli({"summary", sac_files[i]});
        ASSERT_EQ(sac.status, 0) << sac.err;
        const std::vector<std::string> theirs =
            SummaryBodies(sac.out, fs::path(sac_files[i]).filename().string());
        ASSERT_EQ(theirs.size(), 1u);
        EXPECT_EQ(ours[i], theirs[0]) << "segment " << i;
    }

    // PSN files.
    fs::create_directories(work / "psn-mseed");
    fs::create_directories(work / "psn-sac");
    const RunResult psn =
        RunCli({"psn", "--output-dir", (work / "psn-mseed").string(), input.string()});
    ASSERT_EQ(psn.status, 0) << psn.err;
    std::vector<std::string> psn_sac_arguments = {"psn", "--output-dir",
                                                  (work / "psn-sac").string()};
    psn_sac_arguments.insert(psn_sac_arguments.end(), sac_files.begin(), sac_files.end());
    ASSERT_EQ(RunCli(psn_sac_arguments).status, 0);
    const auto psn_files = FolderFiles(work / "psn-mseed");
    EXPECT_EQ(psn_files.size(), segments);
    EXPECT_EQ(psn_files, FolderFiles(work / "psn-sac"));
}

TEST(MiniSeedBatch, OutputsMatchThoseOfTheConvertedFiles) {
    const std::optional<fs::path> converter = FindConverter();
    if (!converter) {
        GTEST_SKIP() << "mseed2sac is not installed; nothing to compare with";
    }
    const std::optional<fs::path> example = FindExampleRecord();
    if (!example) {
        GTEST_SKIP() << "libmseed's example record test.mseed is not installed";
    }
    TempDir dir;
    const ExampleVariants variants = MakeExampleVariants(ReadFileBytes(*example));
    WriteBytes(dir / "gap.mseed", variants.gap);
    WriteBytes(dir / "overlap.mseed", variants.overlap);
    // Nine whole records and part of the tenth, as a file still being written.
    std::vector<unsigned char> cut = ReadFileBytes(*example);
    cut.resize(5000);
    WriteBytes(dir / "cut.mseed", cut);
    ExpectSameAsConverted(*converter, *example, dir / "whole", 1);
    ExpectSameAsConverted(*converter, dir / "gap.mseed", dir / "gap", 2);
    ExpectSameAsConverted(*converter, dir / "overlap.mseed", dir / "overlap", 2);
    ExpectSameAsConverted(*converter, dir / "cut.mseed", dir / "cut", 1);
}

// Every command answers a cut file with its whole records and a note, and a
// damaged one (a blockette chain that loops, a broken first header) with one
// line saying what is wrong with it.
TEST(MiniSeedBatch, DamagedAndCutFilesGetOneLineNamingTheFileAndTheOthersAreDone) {
    const std::optional<fs::path> example = FindExampleRecord();
    if (!example) {
        GTEST_SKIP() << "libmseed's example record test.mseed is not installed";
    }
    TempDir dir;
    const std::vector<unsigned char> bytes = ReadFileBytes(*example);
    WriteBytes(dir / "cut.mseed", std::vector<unsigned char>(bytes.begin(), bytes.begin() + 700));
    // The second record's first blockette names itself as the next one.
    std::vector<unsigned char> looping(bytes.begin(), bytes.begin() + 1024);
    std::fill_n(looping.begin() + 560, 3, 0);
    looping[563] = 0x30;
    WriteBytes(dir / "loop.mseed", looping);
    // The first record's quality code damaged.
    std::vector<unsigned char> damaged = bytes;
    damaged[6] = 'X';
    WriteBytes(dir / "damaged.mseed", damaged);
    const std::string cut = (dir / "cut.mseed").string();
    const std::string loop = (dir / "loop.mseed").string();
    const std::string bad = (dir / "damaged.mseed").string();

    for (const char* command : {"summary", "psn", "wav", "plot"}) {
        SCOPED_TRACE(command);
        TempDir out;
        std::vector<std::string> arguments = {command};
        if (std::string(command) != "summary") {
            arguments.insert(arguments.end(), {"--output-dir", out.path().string()});
        }
        if (std::string(command) == "wav") {
            arguments.insert(arguments.end(), {"--rate", "8000"});
        }
        arguments.insert(arguments.end(), {cut, loop, bad});
        const RunResult run = RunCli(arguments);
        EXPECT_EQ(run.status, 1);
        const std::vector<std::string> errors = Lines(run.err);
        ASSERT_EQ(errors.size(), 3u) << run.err;
        EXPECT_EQ(errors[0], cut +
                                 ": the file ends in the middle of record 2 at byte 512, which "
                                 "claims 512 bytes (it is truncated): its 188 bytes there are "
                                 "left out, and the records before it are read");
        EXPECT_EQ(errors[1], loop + ": Cannot read " + loop +
                                 " as miniSEED: record 2 at byte 512: its chain of blockettes is "
                                 "damaged (Invalid blockette offset (48) less than or equal to "
                                 "current offset (48)).");
        EXPECT_EQ(errors[2], bad + ": Unknown data type: " + sac::kUnknownDataTypeReason +
                                 "; nor is it a miniSEED file: its 7th byte is not a record's "
                                 "quality code (D, R, Q or M).");
    }
}

}  // namespace
}  // namespace tremorline::testing
