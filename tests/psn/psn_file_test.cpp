// SPDX-License-Identifier: MIT
#include "psn/psn_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <bit>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "common/atomic_file.h"
#include "common/user_error.h"
#include "psn/psn_builders.h"
#include "support/temp_dir.h"

namespace tremorline::psn {
namespace {

using testing::ReadFileBytes;
using testing::TempDir;

using Bytes = std::vector<unsigned char>;

// The expected file is laid out here byte by byte, independently of the
// writer's own records.
void Put(Bytes& out, std::size_t offset, std::uint64_t value, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i) {
        out.at(offset + i) = static_cast<unsigned char>(value >> (8 * i));
    }
}
void PutF64(Bytes& out, std::size_t offset, double v) {
    Put(out, offset, std::bit_cast<std::uint64_t>(v), 8);
}
void PutText(Bytes& out, std::size_t offset, std::string_view text) {
    std::memcpy(out.data() + offset, text.data(), text.size());
}

trace::TraceInfo SmallTrace() {
    trace::TraceInfo info;
    info.DELTA = 0.01f;
    info.B = 1.5f;
    info.SCALE = 2e8f;
    info.NZMSEC = 250;
    info.NPTS = 3;
    info.IDEP = 7;
    info.STLA = 45.5f;
    info.STLO = -120.25f;
    info.STEL = 100.0f;
    info.EVLA = 10.5f;
    info.EVLO = -20.25f;
    info.EVDP = 10.0f;
    info.MAG = 4.567f;
    info.KSTNM = "ABC     ";
    info.KCMPNM = "BHN     ";
    info.KNETWK = "XX      ";
    info.RefTime = {2005, 2, 3, 4, 5, 6};
    info.EventTime = {2005, 2, 3, 4, 6, 30};
    info.EventFraction = 0.7f;
    return info;
}

PSNRecords RecordsOf(const trace::TraceInfo& info) {
    return {BuildPSNHeader(info), BuildPSNEventBlock(info), BuildPSNEndBlock()};
}

Bytes ExpectedSmallTraceFile() {
    Bytes b(232 + 4 * 3, 0);
    // Fixed header.
    PutText(b, 0, "PSNTYPE4");
    Put(b, 8, 74, 4);
    Put(b, 12, 2005, 2);
    b[14] = 2;
    b[15] = 3;
    b[16] = 4;
    b[17] = 5;
    b[18] = 6;
    Put(b, 20, 250'000'000, 4);
    PutF64(b, 24, 1.5);
    PutF64(b, 32, 1.0 / static_cast<double>(0.01f));
    Put(b, 40, 3, 4);
    Put(b, 44, 3, 4);
    b[52] = 2;
    PutF64(b, 54, 90.0);
    PutF64(b, 62, 0.0);
    b[70] = 'N';
    b[71] = 2;
    PutF64(b, 72, 45.5);
    PutF64(b, 80, -120.25);
    PutF64(b, 88, 100.0);
    PutText(b, 96, "ABC");
    PutText(b, 102, "BHN");
    PutText(b, 106, "XX");
    PutF64(b, 112, 100.0 / static_cast<double>(2e8f));
    // Event block.
    b[154] = 0x55;
    b[155] = 4;
    Put(b, 156, 62, 4);
    Put(b, 160, 2005, 2);
    b[162] = 2;
    b[163] = 3;
    b[164] = 4;
    b[165] = 6;
    b[166] = 30;
    Put(b, 168, 700'000'000, 4);
    PutF64(b, 172, 10.5);
    PutF64(b, 180, -20.25);
    PutF64(b, 188, 10.0);
    Put(b, 206, 457, 2);
    // End block.
    b[222] = 0x55;
    // Samples, then the zero trailer.
    Put(b, 228, std::bit_cast<std::uint32_t>(1.5f), 4);
    Put(b, 232, std::bit_cast<std::uint32_t>(-2.25f), 4);
    Put(b, 236, std::bit_cast<std::uint32_t>(3e10f), 4);
    return b;
}

const std::vector<float> kSmallSamples = {1.5f, -2.25f, 3e10f};

std::vector<std::filesystem::path> FolderContents(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename());
    }
    return names;
}

// Written over a longer file, which must go completely.
TEST(PsnFile, SmallTraceWholeFileReplacesALongerFile) {
    TempDir dir;
    const Bytes old_bytes(10'000, 0xAB);
    std::ofstream(dir / "x.psn", std::ios::binary)
        .write(reinterpret_cast<const char*>(old_bytes.data()),
               static_cast<std::streamsize>(old_bytes.size()));
    EXPECT_TRUE(HoldsData(dir / "x.psn"));
    WritePsnFile(dir / "x.psn", RecordsOf(SmallTrace()), kSmallSamples);
    EXPECT_EQ(ReadFileBytes(dir / "x.psn"), ExpectedSmallTraceFile());
    EXPECT_EQ(PsnFileSize(3), ExpectedSmallTraceFile().size());
    EXPECT_EQ(FolderContents(dir.path()).size(), 1u);
}

// A write that fails part-way: the file-size limit stops the temporary file
// at 1000 bytes (as a full disk would), even for root.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        // As the programs do, so that crossing the limit fails the write
        // rather than ending the process.
        IgnoreFileSizeSignal();
        getrlimit(RLIMIT_FSIZE, &old_);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old_); }

  private:
    rlimit old_{};
};

TEST(PsnFile, FailedWriteLeavesTheOldFileAndNoLeftovers) {
    TempDir dir;
    Bytes old_bytes = {'o', 'l', 'd'};
    { std::ofstream(dir / "x.psn", std::ios::binary).write("old", 3); }
    trace::TraceInfo info = SmallTrace();
    info.NPTS = 1000;
    std::vector<float> samples(1000, 1.0f);
    try {
        FileSizeLimit limit(1000);
        WritePsnFile(dir / "x.psn", RecordsOf(info), samples);
        ADD_FAILURE() << "the write did not fail";
    } catch (const UserError& error) {
        std::string message = error.what();
        EXPECT_NE(message.find("x.psn"), std::string::npos) << message;
        EXPECT_NE(message.find(std::strerror(EFBIG)), std::string::npos) << message;
    }
    EXPECT_EQ(ReadFileBytes(dir / "x.psn"), old_bytes);
    EXPECT_EQ(FolderContents(dir.path()), std::vector<std::filesystem::path>{"x.psn"});
}

TEST(PsnFile, TargetsThatCannotBeWrittenAreNamedWithTheReason) {
    TempDir dir;
    std::filesystem::create_directory(dir / "folder.psn");
    std::ofstream(dir / "folder.psn" / "inside") << "kept";
    struct Case {
        std::filesystem::path target;
        std::string reason;
    };
    const Case cases[] = {
        {dir / "folder.psn", std::strerror(EISDIR)},
        {dir / "missing" / "x.psn", std::strerror(ENOENT)},
    };
    for (const Case& c : cases) {
        try {
            WritePsnFile(c.target, RecordsOf(SmallTrace()), kSmallSamples);
            ADD_FAILURE() << c.target << " was written";
        } catch (const UserError& error) {
            std::string message = error.what();
            EXPECT_NE(message.find(c.target.string()), std::string::npos) << message;
            EXPECT_NE(message.find(c.reason), std::string::npos) << message;
        }
    }
    EXPECT_EQ(FolderContents(dir.path()), std::vector<std::filesystem::path>{"folder.psn"});
    EXPECT_EQ(ReadFileBytes(dir / "folder.psn" / "inside"), (Bytes{'k', 'e', 'p', 't'}));
}

TEST(PsnFileName, FromReferenceTimeStationAndLetter) {
    struct Case {
        trace::DateTime ref_time;
        std::string kstnm;
        char letter;
        std::string name;
    };
    const Case cases[] = {
        {{2005, 2, 3, 4, 5, 6}, "ABC     ", 'Z', "050203.040506.ABCZ.psn"},
        {{1999, 12, 31, 23, 59, 58}, "  AB C  ", 'Z', "991231.235958.AB CZ.psn"},
        {{2005, 2, 3, 4, 5, 6}, "LONGNAME", 'z', "050203.040506.LONGNAMEz.psn"},
        {{2005, 2, 3, 4, 5, 6}, "        ", 'E', "050203.040506.E.psn"},
        {{1000, 11, 30, 0, 0, 0}, "ABC     ", 'Z', "001130.000000.ABCZ.psn"},
        // A three-digit year shifts the fields of MM/DD/YYYY hh:mm:ss; the
        // name keeps taking its characters from the same positions.
        {{999, 2, 3, 4, 5, 6}, "ABC     ", 'Z', "9 0203.4:5:6.ABCZ.psn"},
        {{100, 12, 31, 23, 59, 58}, "ABC     ", 'Z', "0 1231.3:9:8.ABCZ.psn"},
    };
    for (const Case& c : cases) {
        trace::TraceInfo info;
        info.RefTime = c.ref_time;
        info.KSTNM = c.kstnm;
        EXPECT_EQ(PsnFileName(info, c.letter), c.name) << c.name;
    }
}

// Header texts that would put a folder separator or a control character into
// the file name are refused; the message shows the name with its control
// characters made visible, so it cannot act on a terminal either.
TEST(PsnFileName, RefusesSeparatorsAndControlCharacters) {
    struct Case {
        std::string kstnm;
        char letter;
        std::string message;
    };
    const Case cases[] = {
        {"A\nB\x1b[2J", 'Z',
         "Cannot create 050203.040506.A\\x0aB\\x1b[2JZ.psn: a file name cannot hold the control "
         "character \\x0a"},
        {"AB\x7f", 'Z',
         "Cannot create 050203.040506.AB\\x7fZ.psn: a file name cannot hold the control "
         "character \\x7f"},
        {"\tAB", 'Z',
         "Cannot create 050203.040506.\\x09ABZ.psn: a file name cannot hold the control "
         "character \\x09"},
        {"ABC", '\x01',
         "Cannot create 050203.040506.ABC\\x01.psn: a file name cannot hold the control "
         "character \\x01"},
        {"A/B", 'Z',
         "Cannot create 050203.040506.A/BZ.psn: a file name cannot hold the character /"},
    };
    for (const Case& c : cases) {
        trace::TraceInfo info;
        info.RefTime = {2005, 2, 3, 4, 5, 6};
        info.KSTNM = c.kstnm;
        try {
            const std::string name = PsnFileName(info, c.letter);
            ADD_FAILURE() << name << " was accepted";
        } catch (const UserError& error) {
            EXPECT_EQ(error.what(), c.message);
        }
    }
    // Bytes above 0x7F are not control characters: kept as they are.
    trace::TraceInfo info;
    info.RefTime = {2005, 2, 3, 4, 5, 6};
    info.KSTNM = "\xc3\xa9T";
    EXPECT_EQ(PsnFileName(info, 'Z'), "050203.040506.\xc3\xa9TZ.psn");
}

}  // namespace
}  // namespace tremorline::psn
