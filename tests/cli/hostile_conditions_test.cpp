// SPDX-License-Identifier: MIT
// The batch tool as a process under conditions a user or another program can
// set up: a file size limit, two runs writing one name at once, header texts
// meant for the terminal, and headers that cannot make a file.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "sac/sac_header.h"
#include "support/run_cli.h"
#include "support/sac_builder.h"
#include "support/temp_dir.h"

namespace tremorline::cli {
namespace {

using testing::FileText;
using testing::OpenForOutput;
using testing::ReadFileBytes;
using testing::RunCli;
using testing::RunResult;
using testing::SacBuilder;
using testing::StartCli;
using testing::TempDir;
using testing::WaitCli;

// The name every trace from SacBuilder gets as a PSN file.
constexpr const char* kPsnName = "050201.030405.STAZ.psn";

std::vector<std::string> FolderEntries(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string MakeTrace(const TempDir& dir, const std::string& name, SacBuilder builder) {
    builder.WriteTo(dir / name);
    return (dir / name).string();
}

// Under ulimit -f the write that crosses the limit fails with "File too
// large" on the normal error path: the old file stays, nothing is left
// behind, and the rest of the batch is still done.
TEST(CliHostile, AFileSizeLimitFailsTheWriteNotTheProgram) {
    TempDir dir;
    TempDir logs;
    const std::string big =
        MakeTrace(dir, "big.sac", SacBuilder().Samples(std::vector<float>(4000, 1.0f)));
    const std::string small = MakeTrace(
        dir, "small.sac", SacBuilder().Text(sac::text::KSTNM, "SMALL").Samples({1.0f, 2.0f}));
    TempDir out;
    { std::ofstream(out / kPsnName) << "old"; }
    const int out_fd = OpenForOutput(logs / "out");
    const int err_fd = OpenForOutput(logs / "err");
    const pid_t pid = StartCli({"psn", "--force", "--output-dir", out.path().string(), big, small},
                               out_fd, err_fd, {.input = "", .file_size_limit = 8192});
    ::close(out_fd);
    ::close(err_fd);
    const RunResult run = WaitCli(pid, logs / "out", logs / "err");
    ASSERT_FALSE(run.signalled) << "ended by a signal";
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, big + ": Cannot write " + (out / kPsnName).string() + ": " +
                           std::strerror(EFBIG) + "\n");
    EXPECT_EQ(run.out, small + ": wrote " + (out / "050201.030405.SMALLZ.psn").string() + "\n");
    EXPECT_EQ(FileText(out / kPsnName), "old");
    EXPECT_EQ(FolderEntries(out.path()),
              (std::vector<std::string>{"050201.030405.SMALLZ.psn", kPsnName}));
}

// Two runs writing the same new name at once: without --force exactly one
// writes and the other keeps its file and says so; with --force both write,
// and the file is one of theirs, whole.
TEST(CliHostile, TwoRunsWritingOneNameAtOnce) {
    TempDir dir;
    const std::string traces[2] = {
        MakeTrace(dir, "a.sac", SacBuilder().Samples(std::vector<float>(200000, 1.0f))),
        MakeTrace(dir, "b.sac", SacBuilder().Samples(std::vector<float>(200000, 2.0f)))};
    std::vector<unsigned char> expected[2];
    for (int i = 0; i < 2; ++i) {
        TempDir alone;
        ASSERT_EQ(RunCli({"psn", "--output-dir", alone.path().string(), traces[i]}).status, 0);
        expected[i] = ReadFileBytes(alone / kPsnName);
    }
    for (const bool force : {false, true}) {
        for (int round = 0; round < 6; ++round) {
            SCOPED_TRACE(std::string(force ? "--force" : "no --force") + ", round " +
                         std::to_string(round));
            TempDir out;
            TempDir logs;
            pid_t pids[2];
            for (int i = 0; i < 2; ++i) {
                std::vector<std::string> arguments = {"psn", "--output-dir", out.path().string(),
                                                      traces[i]};
                if (force) {
                    arguments.push_back("--force");
                }
                const int out_fd = OpenForOutput(logs / ("out" + std::to_string(i)));
                const int err_fd = OpenForOutput(logs / ("err" + std::to_string(i)));
                pids[i] = StartCli(arguments, out_fd, err_fd);
                ::close(out_fd);
                ::close(err_fd);
            }
            int wrote = 0;
            int kept = 0;
            for (int i = 0; i < 2; ++i) {
                const RunResult run = WaitCli(pids[i], logs / ("out" + std::to_string(i)),
                                              logs / ("err" + std::to_string(i)));
                EXPECT_EQ(run.status, 0) << run.err;
                wrote += run.out.find(": wrote ") != std::string::npos;
                kept += run.out.find(": kept ") != std::string::npos;
            }
            EXPECT_EQ(wrote, force ? 2 : 1);
            EXPECT_EQ(kept, force ? 0 : 1);
            const std::vector<unsigned char> written = ReadFileBytes(out / kPsnName);
            EXPECT_TRUE(written == expected[0] || written == expected[1]);
            EXPECT_EQ(FolderEntries(out.path()), std::vector<std::string>{kPsnName});
        }
    }
}

// Control bytes in a header text reach a terminal escaped, never as they
// are; piped, the summary keeps its bytes.
TEST(CliHostile, SummaryEscapesControlBytesOnlyOnATerminal) {
    TempDir dir;
    const std::string trace =
        MakeTrace(dir, "t.sac", SacBuilder().RawText(sac::text::KSTNM, "A\nB\x1b[2J"));

    const RunResult piped = RunCli({"summary", trace});
    EXPECT_EQ(piped.status, 0);
    EXPECT_NE(piped.out.find("A\nB\x1b[2J"), std::string::npos);

    const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(terminal, 0);
    ASSERT_EQ(::grantpt(terminal), 0);
    ASSERT_EQ(::unlockpt(terminal), 0);
    const int screen = ::open(::ptsname(terminal), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(screen, 0);
    TempDir logs;
    const int err_fd = OpenForOutput(logs / "err");
    const pid_t pid = StartCli({"summary", trace}, screen, err_fd);
    ::close(screen);
    ::close(err_fd);
    std::string shown;
    char buffer[4096];
    for (ssize_t got; (got = ::read(terminal, buffer, sizeof buffer)) > 0;) {
        shown.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(terminal);
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(shown.find('\x1b'), std::string::npos);
    // The line end stays a line end (which the terminal shows as CR LF).
    EXPECT_NE(shown.find("A\r\nB\\x1b[2J"), std::string::npos) << shown;
    EXPECT_NE(shown.find("ORIGIN"), std::string::npos);
}

// Another user's link in a shared folder is never followed: psn refuses it
// with or without --force, and does not call it kept by choice.
TEST(CliHostile, PsnRefusesAnotherUsersLinkWithOrWithoutForce) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "making a link owned by another user needs root";
    }
    constexpr uid_t kOtherUser = 65534;  // nobody
    TempDir dir;
    const std::string trace = MakeTrace(dir, "t.sac", SacBuilder());
    const std::filesystem::path shared = dir / "shared";
    std::filesystem::create_directory(shared);
    ASSERT_EQ(::chown(shared.c_str(), kOtherUser, kOtherUser), 0);
    ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
    SacBuilder::WriteBytes(dir / "notes.txt", std::vector<unsigned char>(10, 'n'));
    std::filesystem::create_symlink(dir / "notes.txt", shared / kPsnName);
    ASSERT_EQ(::lchown((shared / kPsnName).c_str(), kOtherUser + 1, kOtherUser + 1), 0);
    for (const bool force : {false, true}) {
        std::vector<std::string> arguments = {"psn", trace, "--output-dir", shared.string()};
        if (force) {
            arguments.push_back("--force");
        }
        const RunResult run = RunCli(arguments);
        EXPECT_EQ(run.status, 1) << force;
        EXPECT_TRUE(run.out.empty()) << run.out;
        EXPECT_NE(run.err.find("a symbolic link made by another user"), std::string::npos)
            << run.err;
    }
    EXPECT_EQ(ReadFileBytes(dir / "notes.txt"), std::vector<unsigned char>(10, 'n'));
}

// What the tool says for headers and files it cannot use; nothing is
// written for them, and each message names the file once.
TEST(CliHostile, UnusableTracesAreRefusedInWords) {
    TempDir dir;
    struct Case {
        std::vector<std::string> command;
        std::string file;
        std::string says;
    };
    const std::vector<Case> cases = {
        {{"psn"},
         MakeTrace(dir, "nan.sac", SacBuilder().Real(sac::real::DELTA, NAN)),
         "The sample interval DELTA is not a number (NaN), so the PSN sample rate cannot be "
         "formed."},
        {{"psn"},
         MakeTrace(dir, "unset.sac", SacBuilder().Real(sac::real::DELTA, -12345.0f)),
         "The sample interval DELTA is -12345 (undefined), so the PSN sample rate cannot be "
         "formed."},
        {{"psn"},
         MakeTrace(dir, "ctl.sac", SacBuilder().RawText(sac::text::KSTNM, "A\nB\x1b[2J")),
         "Cannot create 050201.030405.A\\x0aB\\x1b[2JZ.psn: a file name cannot hold the control "
         "character \\x0a"},
        {{"wav", "--rate", "8000"},
         MakeTrace(dir, "none.sac", SacBuilder().Int(sac::integer::NPTS, -5)),
         "The trace has no samples (NPTS is -5)."},
        {{"summary"},
         (dir / "short.sac").string(),
         "The file is too short for a SAC header: it has 100 bytes, and a SAC header takes 632. "
         "Nor is it a miniSEED file: its first 6 bytes are not a record's sequence number."},
    };
    SacBuilder::WriteBytes(dir / "short.sac", std::vector<unsigned char>(100, 1));
    for (const Case& c : cases) {
        TempDir out;
        std::vector<std::string> arguments = c.command;
        arguments.push_back(c.file);
        if (c.command[0] != "summary") {
            arguments.insert(arguments.end(), {"--output-dir", out.path().string()});
        }
        const RunResult run = RunCli(arguments);
        EXPECT_EQ(run.status, 1) << c.file;
        EXPECT_EQ(run.err, c.file + ": " + c.says + "\n");
        EXPECT_TRUE(FolderEntries(out.path()).empty()) << c.file;
    }
}

}  // namespace
}  // namespace tremorline::cli
