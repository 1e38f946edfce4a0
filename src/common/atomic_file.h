// SPDX-License-Identifier: MIT
#pragma once

// An output file that appears whole or not at all. The bytes go to a
// temporary file in the target's folder, which takes the target's name only
// when complete. Until then the target, if it existed, is untouched, and a
// failure or an early destruction removes the temporary file.
//
// Where the file system allows it the temporary file has no name at all, so
// that nothing is left behind even when the process is killed outright or the
// power fails. Elsewhere it is a hidden ".tremorline-*.tmp" file, removed also
// when the program is ended by SIGINT, SIGTERM or SIGHUP.
//
// Only a regular file is ever replaced: a FIFO, device or socket of the
// target's name is refused. A symbolic link is followed, so the file it names
// is replaced and the link stays a link, but only where the system itself
// would follow it: a link that another user made in a world-writable sticky
// folder (such as /tmp) is refused.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace tremorline {

// The file size limit (ulimit -f) normally ends a program with SIGXFSZ the
// moment a write crosses it. Ignored, the write fails with "File too large"
// instead, which is reported like any other failed write. Both programs call
// this first thing in main().
void IgnoreFileSizeSignal();

// True when `path` is a file holding at least one byte: replacing it loses
// data, so the user is asked first (or --force is needed). A missing or
// empty file is written without a question.
bool HoldsData(const std::filesystem::path& path);

class AtomicFile {
  public:
    // How the temporary file is made. Unnamed falls back to Named where the
    // file system cannot make unnamed files; Named is for tests of that case.
    enum class Temporary { Unnamed, Named };

    // Creates the temporary file. Throws UserError naming the target and the
    // reason when the folder cannot take it or the target is not a regular
    // file that may be replaced.
    explicit AtomicFile(std::filesystem::path target, Temporary kind = Temporary::Unnamed);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    void Write(std::span<const unsigned char> bytes);
    void Write(std::span<const std::byte> bytes);

    // Flushes the file to disk and gives it the target's name, replacing any
    // file of that name.
    void Commit();

    // As Commit(), but only while the name is free or holds an empty file.
    // When another file holding data has taken the name meanwhile (another
    // run writing the same name, say), that file stays and false is
    // returned; the new file can then still be put in its place by Commit(),
    // and is discarded otherwise. Of two runs racing for a free name exactly
    // one succeeds.
    [[nodiscard]] bool CommitIfFree();

    // The target as given.
    const std::filesystem::path& target() const { return target_; }

  private:
    static constexpr std::size_t kWritebackChunk = std::size_t{8} << 20;

    void ResolveTarget();
    void OpenFolder();
    void CreateTemporary(Temporary kind);
    bool CreateNamedTemporary(unsigned attempt);
    void Flush();
    bool LinkUnnamed(const std::string& name);
    void LinkUnnamedAsTemporary();
    bool PlaceNamedIfFree();
    void ReplaceTarget();
    bool TakenByAnother() const;
    void Finish() noexcept;
    void StartWriteback(std::uint64_t written);
    [[noreturn]] void Fail(const char* action, int error_number);
    [[noreturn]] void Refuse(const std::string& reason);
    void Discard() noexcept;

    std::filesystem::path target_;    // as given, for messages
    std::filesystem::path resolved_;  // the file to replace, links followed
    std::string name_;                // resolved_'s name in its folder
    int folder_fd_ = -1;
    int fd_ = -1;
    bool unnamed_ = false;
    std::string temp_name_;  // the temporary file's name while it has one
    int cleanup_slot_ = -1;  // where the signal handler finds temp_name_
    bool replacing_ = false;
    unsigned replaced_mode_ = 0;
    bool on_disk_ = false;  // flushed, and a named file closed
    bool committed_ = false;
    std::uint64_t flushed_ = 0;    // bytes already handed to the disk
    std::uint64_t unflushed_ = 0;  // bytes written since
};

}  // namespace tremorline
