#include "common/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
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

void WriteWhole(const std::filesystem::path& path, const std::string& text) {
    AtomicFile file(path);
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

TEST(AtomicFile, ReplacesWholeAndKeepsTheOldFilesMode) {
    TempDir dir;
    WriteWhole(dir / "out.psn", "a much longer old content");
    ::chmod((dir / "out.psn").c_str(), 0640);
    WriteWhole(dir / "out.psn", "new");
    EXPECT_EQ(ReadFileBytes(dir / "out.psn"), Bytes("new"));
    struct stat info {};
    ASSERT_EQ(::stat((dir / "out.psn").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"out.psn"});
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

}  // namespace
}  // namespace tremorline
