// SPDX-License-Identifier: MIT
// A miniSEED file given to the batch tool must give, segment by segment, the
// summary, PSN file and WAVE file that the SAC files converted from it give:
// byte for byte, apart from the summary's first line. Run on libmseed's
// example record and on variants with a gap and an overlap.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

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
    ExpectSameAsConverted(*converter, *example, dir / "whole", 1);
    ExpectSameAsConverted(*converter, dir / "gap.mseed", dir / "gap", 2);
    ExpectSameAsConverted(*converter, dir / "overlap.mseed", dir / "overlap", 2);
}

TEST(MiniSeedBatch, BadFilesGetOneLineNamingTheFileAndTheOthersAreDone) {
    const std::optional<fs::path> example = FindExampleRecord();
    if (!example) {
        GTEST_SKIP() << "libmseed's example record test.mseed is not installed";
    }
    TempDir dir;
    std::vector<unsigned char> truncated = ReadFileBytes(*example);
    truncated.resize(700);
    WriteBytes(dir / "cut.mseed", truncated);
    WriteBytes(dir / "junk.mseed", std::vector<unsigned char>(1000, 'x'));
    const RunResult run = RunCli({"summary", (dir / "cut.mseed").string(), example->string(),
                                  (dir / "junk.mseed").string()});
    EXPECT_EQ(run.status, 1);
    const std::vector<std::string> errors = Lines(run.err);
    ASSERT_EQ(errors.size(), 2u) << run.err;
    EXPECT_TRUE(errors[0].starts_with((dir / "cut.mseed").string() + ": ")) << errors[0];
    EXPECT_NE(errors[0].find("cut.mseed", errors[0].find(": ")), std::string::npos)
        << "the reason names the file: " << errors[0];
    EXPECT_TRUE(errors[1].starts_with((dir / "junk.mseed").string() + ": Unknown data type: "))
        << errors[1];
    EXPECT_TRUE(run.out.starts_with("test.mseed  IU.COLA.00.LHZ\n")) << run.out.substr(0, 80);
}

}  // namespace
}  // namespace tremorline::testing
