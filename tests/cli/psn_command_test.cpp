#include "cli/psn_command.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/batch.h"
#include "support/temp_dir.h"

namespace tremorline::cli {
namespace {

using testing::ReadFileBytes;
using testing::TempDir;
using testing::TestDataDir;
using Bytes = std::vector<unsigned char>;

std::string Data(const char* name) {
    return (TestDataDir() / name).string();
}

std::uint32_t LE32(const Bytes& b, std::size_t offset) {
    return static_cast<std::uint32_t>(b.at(offset)) |
           (static_cast<std::uint32_t>(b[offset + 1]) << 8) |
           (static_cast<std::uint32_t>(b[offset + 2]) << 16) |
           (static_cast<std::uint32_t>(b[offset + 3]) << 24);
}

TEST(PsnCommand, RealTracesNamesSizesAndStartTimes) {
    struct Case {
        const char* trace;
        const char* psn;
        std::size_t samples;
        std::uint32_t start_nanoseconds;
        char letter;
    };
    const Case cases[] = {
        {"test.sac", "780718.080000.STAQ.psn", 100, 0, 'Q'},
        {"seism.sac", "810329.103814.CDVQ.psn", 1000, 0, 'Q'},
        {"LMOW.BHE.SAC", "010410.002300.LMOWE.psn", 100, 465'000'000, 'E'},
        {"CRLZ.HHZ.10.NZ.SAC", "090904.000000.CRLZZ.psn", 32768, 7'000'000, 'Z'},
    };
    TempDir out;
    for (const Case& c : cases) {
        std::ostringstream report;
        WritePsnForTrace(Data(c.trace), out.path(), ExistingPsnFile::Keep, report);
        EXPECT_EQ(report.str(), Data(c.trace) + ": wrote " + (out / c.psn).string() + "\n");
        Bytes psn = ReadFileBytes(out / c.psn);
        ASSERT_EQ(psn.size(), 232 + 4 * c.samples) << c.trace;
        EXPECT_EQ(std::string(psn.begin(), psn.begin() + 8), "PSNTYPE4");
        EXPECT_EQ(LE32(psn, 20), c.start_nanoseconds) << c.trace;
        EXPECT_EQ(LE32(psn, 40), c.samples) << c.trace;
        EXPECT_EQ(psn[70], c.letter) << c.trace;
        EXPECT_EQ(LE32(psn, psn.size() - 4), 0u) << c.trace;
    }
}

TEST(PsnCommand, BothByteOrdersOfARealTraceGiveTheSameFile) {
    TempDir little;
    TempDir big;
    std::ostringstream report;
    WritePsnForTrace(Data("test.sac"), little.path(), ExistingPsnFile::Keep, report);
    WritePsnForTrace(Data("test.sac.swap"), big.path(), ExistingPsnFile::Keep, report);
    const char* name = "780718.080000.STAQ.psn";
    Bytes from_little = ReadFileBytes(little / name);
    EXPECT_EQ(from_little.size(), 632u);
    EXPECT_EQ(ReadFileBytes(big / name), from_little);
}

TEST(PsnCommand, ExistingFilesKeptUnlessForced) {
    struct Case {
        const char* what;
        std::string old_content;
        ExistingPsnFile existing;
        bool replaced;
    };
    const Case cases[] = {
        {"kept", "old", ExistingPsnFile::Keep, false},
        {"forced", "old", ExistingPsnFile::Replace, true},
        {"empty file written", "", ExistingPsnFile::Keep, true},
    };
    for (const Case& c : cases) {
        TempDir out;
        std::ofstream(out / "780718.080000.STAQ.psn") << c.old_content;
        std::ostringstream report;
        WritePsnForTrace(Data("test.sac"), out.path(), c.existing, report);
        Bytes now = ReadFileBytes(out / "780718.080000.STAQ.psn");
        EXPECT_EQ(now.size(), c.replaced ? 632u : 3u) << c.what;
        EXPECT_NE(report.str().find(c.replaced ? ": wrote " : ": kept "), std::string::npos)
            << c.what << ": " << report.str();
    }
}

TEST(PsnCommand, BatchReportsFailuresAndGoesOn) {
    TempDir out;
    std::ostringstream report;
    std::ostringstream errors;
    const std::vector<std::string> files = {Data("testxy.sac"), Data("missing.sac"),
                                            Data("seism.sac")};
    int status = RunForEachFile(
        files,
        [&](const std::string& file) {
            WritePsnForTrace(file, out.path(), ExistingPsnFile::Keep, report);
        },
        errors);
    EXPECT_EQ(status, kSomeFilesFailed);
    EXPECT_EQ(errors.str().find(Data("testxy.sac") + ": Unknown data type\n"), 0u) << errors.str();
    EXPECT_NE(errors.str().find(Data("missing.sac") + ": "), std::string::npos);
    EXPECT_EQ(ReadFileBytes(out / "810329.103814.CDVQ.psn").size(), 4232u);

    // A missing output folder is named with the system's reason.
    std::ostringstream missing_errors;
    status = RunForEachFile(
        {Data("seism.sac")},
        [&](const std::string& file) {
            WritePsnForTrace(file, out / "nowhere", ExistingPsnFile::Keep, report);
        },
        missing_errors);
    EXPECT_EQ(status, kSomeFilesFailed);
    EXPECT_NE(missing_errors.str().find((out / "nowhere" / "810329.103814.CDVQ.psn").string()),
              std::string::npos)
        << missing_errors.str();
}

}  // namespace
}  // namespace tremorline::cli
