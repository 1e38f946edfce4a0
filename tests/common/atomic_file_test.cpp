// SPDX-License-Identifier: MIT
#include "common/atomic_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "common/user_error.h"
#include "support/temp_dir.h"

namespace tremorline {
namespace {

using testing::ReadFileBytes;
using testing::TempDir;

std::vector<unsigned char> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

void WriteWhole(const std::filesystem::path& path, const std::string& text,
                AtomicFile::Temporary kind = AtomicFile::Temporary::Unnamed) {
    AtomicFile file(path, kind);
    file.Write(Bytes(text));
    file.Commit();
}

std::vector<std::string> FolderEntries(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string Message(const std::function<void()>& action) {
    try {
        action();
    } catch (const UserError& failure) {
        return failure.what();
    }
    return "(no failure)";
}

constexpr AtomicFile::Temporary kBothKinds[] = {AtomicFile::Temporary::Unnamed,
                                                AtomicFile::Temporary::Named};

TEST(AtomicFile, ReplacesWholeAndKeepsTheOldFilesMode) {
    for (AtomicFile::Temporary kind : kBothKinds) {
        TempDir dir;
        WriteWhole(dir / "out.psn", "a much longer old content", kind);
        ::chmod((dir / "out.psn").c_str(), 0640);
        WriteWhole(dir / "out.psn", "new", kind);
        EXPECT_EQ(ReadFileBytes(dir / "out.psn"), Bytes("new"));
        struct stat info {};
        ASSERT_EQ(::stat((dir / "out.psn").c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0640u);
        EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"out.psn"});
    }
}

TEST(AtomicFile, AnUnfinishedFileLeavesNothingBehind) {
    TempDir dir;
    WriteWhole(dir / "out.wav", "old");
    {
        AtomicFile file(dir / "out.wav");
        file.Write(Bytes("half of the new"));
    }  // a failure before Commit
    EXPECT_EQ(ReadFileBytes(dir / "out.wav"), Bytes("old"));
    EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"out.wav"});
}

TEST(AtomicFile, ALinkIsFollowedAndStaysALink) {
    TempDir dir;
    WriteWhole(dir / "real.psn", "old");
    std::filesystem::create_symlink(dir / "real.psn", dir / "link.psn");
    WriteWhole(dir / "link.psn", "new");
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.psn"));
    EXPECT_EQ(ReadFileBytes(dir / "real.psn"), Bytes("new"));
}

TEST(AtomicFile, TargetsThatCannotBeWrittenAreNamedWithTheReason) {
    TempDir dir;
    std::filesystem::create_directory(dir / "taken.psn");
    const std::filesystem::path targets[] = {dir / "taken.psn", dir / "missing" / "out.psn"};
    for (const auto& target : targets) {
        try {
            AtomicFile file(target);
            ADD_FAILURE() << "no failure for " << target;
        } catch (const UserError& failure) {
            EXPECT_NE(std::string(failure.what()).find(target.string()), std::string::npos);
            EXPECT_NE(std::string(failure.what()).find(": "), std::string::npos);
        }
    }
    EXPECT_TRUE(std::filesystem::is_directory(dir / "taken.psn"));
}

TEST(AtomicFile, ANameNearTheLengthLimitCanBeWritten) {
    TempDir dir;
    const std::string name = std::string(250, 'n') + ".wav";  // 254 bytes of 255
    WriteWhole(dir / name, "sound");
    EXPECT_EQ(ReadFileBytes(dir / name), Bytes("sound"));
}

// A FIFO, a device (reached through a link, as out.wav -> /dev/null) and a
// socket are refused by name, and stay what they were.
TEST(AtomicFile, OnlyRegularFilesAreReplaced) {
    TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "pipe.psn").c_str(), 0600), 0);
    // As root, a broken check would replace the device itself, so the link
    // then leads to a twin of /dev/null made for the test; other users cannot
    // replace /dev/null, and their link leads to the real one.
    std::filesystem::path device = "/dev/null";
    if (::geteuid() == 0) {
        device = dir / "null-device";
        ASSERT_EQ(::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
    }
    std::filesystem::create_symlink(device, dir / "null.wav");
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socket_path = (dir / "sock.psn").string();
    ASSERT_LT(socket_path.size(), sizeof address.sun_path);
    std::copy(socket_path.begin(), socket_path.end(), address.sun_path);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

    struct Case {
        std::string name;
        std::string says;
        bool (*still)(const std::filesystem::path&);
    };
    const Case cases[] = {
        {"pipe.psn", "it is a FIFO (named pipe), not a regular file",
         [](const std::filesystem::path& p) { return std::filesystem::is_fifo(p); }},
        {"null.wav", "it leads to " + device.string() + ", a device, not a regular file",
         [](const std::filesystem::path& p) { return std::filesystem::is_character_file(p); }},
        {"sock.psn", "it is a socket, not a regular file",
         [](const std::filesystem::path& p) { return std::filesystem::is_socket(p); }},
    };
    for (const Case& c : cases) {
        for (AtomicFile::Temporary kind : kBothKinds) {
            const std::string message = Message([&] { WriteWhole(dir / c.name, "new", kind); });
            EXPECT_NE(message.find("Cannot replace " + (dir / c.name).string() + ": " + c.says),
                      std::string::npos)
                << message;
            EXPECT_TRUE(c.still(dir / c.name)) << c.name;
        }
    }
    ::close(listener);
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "null.wav"));
    EXPECT_TRUE(std::filesystem::is_character_file(device));
    std::vector<std::string> expected = {"null.wav", "pipe.psn", "sock.psn"};
    if (device.parent_path() == dir.path()) {
        expected.insert(expected.begin(), "null-device");
    }
    EXPECT_EQ(FolderEntries(dir.path()), expected);
}

// In a folder everyone may write to, with the sticky bit (as /tmp), a link
// is followed only when it is the user's own or the folder owner's, as the
// system follows links there; another user's link could point anywhere the
// user may write.
TEST(AtomicFile, LinksInASharedFolderAreFollowedOnlyWhenTheyAreTheUsers) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "making a link owned by another user needs root";
    }
    constexpr uid_t kOtherUser = 65534;  // nobody
    TempDir dir;
    const std::filesystem::path shared = dir / "shared";
    std::filesystem::create_directory(shared);
    ASSERT_EQ(::chown(shared.c_str(), kOtherUser, kOtherUser), 0);
    ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
    WriteWhole(dir / "notes.txt", "the victim's notes");
    std::filesystem::create_symlink(dir / "notes.txt", shared / "planted.wav");
    ASSERT_EQ(::lchown((shared / "planted.wav").c_str(), kOtherUser + 1, kOtherUser + 1), 0);
    std::filesystem::create_symlink(dir / "notes.txt", shared / "own.wav");

    const std::string message = Message([&] { WriteWhole(shared / "planted.wav", "a WAVE file"); });
    EXPECT_NE(message.find("Cannot replace " + (shared / "planted.wav").string() +
                           ": it is a symbolic link made by another user (uid 65535)"),
              std::string::npos)
        << message;
    EXPECT_EQ(ReadFileBytes(dir / "notes.txt"), Bytes("the victim's notes"));

    // The folder's owner may have put the link there: followed.
    ASSERT_EQ(::lchown((shared / "planted.wav").c_str(), kOtherUser, kOtherUser), 0);
    WriteWhole(shared / "planted.wav", "from the folder's owner");
    EXPECT_EQ(ReadFileBytes(dir / "notes.txt"), Bytes("from the folder's owner"));

    WriteWhole(shared / "own.wav", "the user's own link");
    EXPECT_EQ(ReadFileBytes(dir / "notes.txt"), Bytes("the user's own link"));
    EXPECT_TRUE(std::filesystem::is_symlink(shared / "own.wav"));
    EXPECT_EQ(FolderEntries(shared), (std::vector<std::string>{"own.wav", "planted.wav"}));
}

// Of two writers of one name that may not replace a file holding data,
// exactly one puts its file in place; the other's is discarded, unless it is
// then told to replace. An empty file counts as a free name.
TEST(AtomicFile, OnlyOneWriterTakesAFreeName) {
    for (AtomicFile::Temporary kind : kBothKinds) {
        TempDir dir;
        {
            AtomicFile first(dir / "out.psn", kind);
            AtomicFile second(dir / "out.psn", kind);
            first.Write(Bytes("first"));
            second.Write(Bytes("second"));
            EXPECT_TRUE(second.CommitIfFree());
            EXPECT_FALSE(first.CommitIfFree());
            EXPECT_EQ(ReadFileBytes(dir / "out.psn"), Bytes("second"));
        }
        EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"out.psn"});
        {
            AtomicFile told(dir / "out.psn", kind);
            told.Write(Bytes("told to replace"));
            EXPECT_FALSE(told.CommitIfFree());
            told.Commit();
        }
        EXPECT_EQ(ReadFileBytes(dir / "out.psn"), Bytes("told to replace"));
        EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"out.psn"});

        WriteWhole(dir / "empty.psn", "", kind);
        AtomicFile over_empty(dir / "empty.psn", kind);
        over_empty.Write(Bytes("data"));
        EXPECT_TRUE(over_empty.CommitIfFree());
        EXPECT_EQ(ReadFileBytes(dir / "empty.psn"), Bytes("data"));
        EXPECT_EQ(FolderEntries(dir.path()), (std::vector<std::string>{"empty.psn", "out.psn"}));
    }
}

// A process that dies in the middle of a large write leaves the old target
// and no temporary file: an unnamed temporary file has nothing to leave even
// after SIGKILL; a named one is removed on SIGINT, SIGTERM and SIGHUP, and
// the process still ends by the signal.
TEST(AtomicFile, AnInterruptedWriteLeavesTheOldFileAndNoTemporaryFile) {
    struct Case {
        AtomicFile::Temporary kind;
        int signal_number;
        std::size_t entries_while_writing;  // the target, and a named temporary file
    };
    const Case cases[] = {
        {AtomicFile::Temporary::Unnamed, SIGINT, 1},  {AtomicFile::Temporary::Unnamed, SIGTERM, 1},
        {AtomicFile::Temporary::Unnamed, SIGKILL, 1}, {AtomicFile::Temporary::Named, SIGINT, 2},
        {AtomicFile::Temporary::Named, SIGTERM, 2},   {AtomicFile::Temporary::Named, SIGHUP, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("signal " + std::to_string(c.signal_number));
        TempDir dir;
        WriteWhole(dir / "out.psn", "old");
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // A test run in the background may have these ignored.
            for (int s : {SIGINT, SIGTERM, SIGHUP}) {
                struct sigaction current {};
                if (::sigaction(s, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) {
                    ::signal(s, SIG_DFL);
                }
            }
            AtomicFile file(dir / "out.psn", c.kind);
            file.Write(std::vector<unsigned char>(std::size_t{32} << 20, 0x5A));
            (void)!::write(ready[1], "w", 1);
            for (;;) {
                ::pause();
            }
        }
        char byte = 0;
        ASSERT_EQ(::read(ready[0], &byte, 1), 1);
        EXPECT_EQ(FolderEntries(dir.path()).size(), c.entries_while_writing);
        ::kill(child, c.signal_number);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ::close(ready[0]);
        ::close(ready[1]);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.signal_number) << status;
        EXPECT_EQ(ReadFileBytes(dir / "out.psn"), Bytes("old"));
        EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"out.psn"});
    }
}

}  // namespace
}  // namespace tremorline
