// SPDX-License-Identifier: MIT
#include "common/atomic_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <system_error>

#include "common/temporary_cleanup.h"
#include "common/user_error.h"

namespace tremorline {
namespace {

// As many links in a row as the system itself follows.
constexpr int kMaxLinks = 40;

std::string RandomSuffix(unsigned attempt) {
    static const char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::random_device seed;
    std::uint64_t bits = (static_cast<std::uint64_t>(seed()) << 32) ^ seed() ^ attempt;
    std::string suffix;
    for (int i = 0; i < 8; ++i) {
        suffix += kDigits[bits % 36];
        bits /= 36;
    }
    return suffix;
}

std::filesystem::path FolderOf(const std::filesystem::path& path) {
    std::filesystem::path folder = path.parent_path();
    return folder.empty() ? std::filesystem::path(".") : folder;
}

// What a file that is neither regular nor a folder is, in the user's words.
const char* KindOfSpecialFile(mode_t mode) {
    if (S_ISFIFO(mode)) {
        return "a FIFO (named pipe)";
    }
    if (S_ISCHR(mode) || S_ISBLK(mode)) {
        return "a device";
    }
    if (S_ISSOCK(mode)) {
        return "a socket";
    }
    return "not a regular file";
}

// The system's rule for following a link (fs.protected_symlinks): a link in
// a world-writable sticky folder, where anyone may plant one, is followed
// only when it belongs to the user following it or to the folder's owner.
bool MayFollow(const struct stat& link, const std::filesystem::path& link_path) {
    struct stat folder {};
    if (::stat(FolderOf(link_path).c_str(), &folder) != 0) {
        return false;
    }
    const bool shared = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
    return !shared || link.st_uid == ::geteuid() || link.st_uid == folder.st_uid;
}

std::string ReadLink(const std::filesystem::path& link) {
    std::error_code error;
    std::filesystem::path text = std::filesystem::read_symlink(link, error);
    return error ? std::string() : text.string();
}

std::string ProcFdPath(int fd) {
    return "/proc/self/fd/" + std::to_string(fd);
}

}  // namespace

void IgnoreFileSizeSignal() {
    ::signal(SIGXFSZ, SIG_IGN);
}

bool HoldsData(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return false;
    }
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    return !error && size > 0;
}

AtomicFile::AtomicFile(std::filesystem::path target, Temporary kind)
    : target_(std::move(target)), resolved_(target_) {
    try {
        ResolveTarget();
        OpenFolder();
        CreateTemporary(kind);
        // A replaced file keeps its mode; a new one gets 0666 less the umask.
        if (replacing_ && ::fchmod(fd_, static_cast<mode_t>(replaced_mode_)) != 0) {
            Fail("create", errno);
        }
    } catch (...) {
        if (folder_fd_ >= 0) {
            ::close(folder_fd_);
        }
        throw;
    }
}

// Follows the links that may be followed, and stops at the file to replace
// (or at the name of a file still to be made).
void AtomicFile::ResolveTarget() {
    for (int hops = 0;; ++hops) {
        struct stat info {};
        if (::lstat(resolved_.c_str(), &info) != 0) {
            break;  // a new file; a folder that cannot be reached fails below
        }
        if (S_ISLNK(info.st_mode)) {
            if (!MayFollow(info, resolved_)) {
                Refuse("it is a symbolic link made by another user (uid " +
                       std::to_string(info.st_uid) +
                       ") in a folder that everyone may write to, and such a link is not "
                       "followed. Remove the link or write elsewhere");
            }
            if (hops == kMaxLinks) {
                Fail("replace", ELOOP);
            }
            const std::filesystem::path destination = ReadLink(resolved_);
            resolved_ = destination.is_absolute() ? destination : FolderOf(resolved_) / destination;
            continue;
        }
        if (S_ISDIR(info.st_mode)) {
            Fail("replace", EISDIR);
        }
        if (!S_ISREG(info.st_mode)) {
            const std::string leads =
                resolved_ == target_ ? "it is " : "it leads to " + resolved_.string() + ", ";
            Refuse(leads + KindOfSpecialFile(info.st_mode) +
                   ", not a regular file, and only a regular file is replaced");
        }
        if (::access(resolved_.c_str(), W_OK) != 0) {
            Fail("replace", errno);
        }
        replacing_ = true;
        replaced_mode_ = info.st_mode & 07777;
        break;
    }
    name_ = resolved_.filename().string();
    if (name_.empty() || name_ == "." || name_ == "..") {
        Fail("replace", EISDIR);
    }
}

void AtomicFile::OpenFolder() {
    folder_fd_ = ::open(FolderOf(resolved_).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (folder_fd_ < 0) {
        Fail("create", errno);
    }
}

void AtomicFile::CreateTemporary(Temporary kind) {
    // An unnamed file is given its name through /proc, so it is only made
    // where /proc is there to do that.
    if (kind == Temporary::Unnamed && ::access("/proc/self/fd", X_OK) == 0) {
        fd_ = ::openat(folder_fd_, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (fd_ >= 0) {
            unnamed_ = true;
            return;
        }
        // The file system cannot make unnamed files: fall back to a named one.
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL && errno != ENOTDIR) {
            Fail("create", errno);
        }
    }
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        if (CreateNamedTemporary(attempt)) {
            return;
        }
    }
    Fail("create", EEXIST);
}

// The temporary name is short, so that a target whose name is near the file
// system's limit can still be written. Registered before the file exists, so
// that there is no moment at which an interruption leaves it behind.
bool AtomicFile::CreateNamedTemporary(unsigned attempt) {
    temp_name_ = ".tremorline-" + RandomSuffix(attempt) + ".tmp";
    cleanup_slot_ = RegisterTemporaryFile(folder_fd_, temp_name_);
    fd_ = ::openat(folder_fd_, temp_name_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ >= 0) {
        return true;
    }
    const int error = errno;
    ForgetTemporaryFile(cleanup_slot_);
    cleanup_slot_ = -1;
    temp_name_.clear();
    if (error != EEXIST) {
        Fail("create", error);
    }
    return false;
}

AtomicFile::~AtomicFile() {
    if (!committed_) {
        Discard();
    }
    if (folder_fd_ >= 0) {
        ::close(folder_fd_);
    }
}

void AtomicFile::Write(std::span<const unsigned char> bytes) {
    const unsigned char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t written = ::write(fd_, data, std::min(left, kWritebackChunk));
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            Fail("write", errno);
        }
        data += written;
        left -= static_cast<std::size_t>(written);
        StartWriteback(static_cast<std::uint64_t>(written));
    }
}

// A large file is handed to the disk while it is still being written, so
// that the flush before the rename has little left to wait for.
void AtomicFile::StartWriteback(std::uint64_t written) {
    unflushed_ += written;
    if (unflushed_ < kWritebackChunk) {
        return;
    }
#ifdef SYNC_FILE_RANGE_WRITE
    ::sync_file_range(fd_, static_cast<off_t>(flushed_), static_cast<off_t>(unflushed_),
                      SYNC_FILE_RANGE_WRITE);
#endif
    flushed_ += unflushed_;
    unflushed_ = 0;
}

void AtomicFile::Write(std::span<const std::byte> bytes) {
    Write(std::span<const unsigned char>(reinterpret_cast<const unsigned char*>(bytes.data()),
                                         bytes.size()));
}

// The bytes reach the disk before the file takes the target's name. A named
// file is closed here, where a late write error still shows; an unnamed one
// must stay open until it is linked, and after a good fsync its close has
// nothing left to report.
void AtomicFile::Flush() {
    if (on_disk_) {
        return;
    }
    on_disk_ = true;
    if (::fsync(fd_) != 0) {
        Fail("write", errno);
    }
    if (!unnamed_) {
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) {
            Fail("write", errno);
        }
    }
}

// Gives the unnamed file the name `name`; false when that name is taken.
bool AtomicFile::LinkUnnamed(const std::string& name) {
    if (::linkat(AT_FDCWD, ProcFdPath(fd_).c_str(), folder_fd_, name.c_str(), AT_SYMLINK_FOLLOW) ==
        0) {
        return true;
    }
    if (errno != EEXIST) {
        Fail("replace", errno);
    }
    return false;
}

// A link cannot replace a file, so to replace one the unnamed file first
// takes a temporary name, which the rename then moves over the target.
void AtomicFile::LinkUnnamedAsTemporary() {
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        temp_name_ = ".tremorline-" + RandomSuffix(attempt) + ".tmp";
        cleanup_slot_ = RegisterTemporaryFile(folder_fd_, temp_name_);
        if (LinkUnnamed(temp_name_)) {
            return;
        }
        ForgetTemporaryFile(cleanup_slot_);
        cleanup_slot_ = -1;
        temp_name_.clear();
    }
    Fail("replace", EEXIST);
}

void AtomicFile::ReplaceTarget() {
    if (unnamed_) {
        LinkUnnamedAsTemporary();
    }
    if (::renameat(folder_fd_, temp_name_.c_str(), folder_fd_, name_.c_str()) != 0) {
        Fail("replace", errno);
    }
    Finish();
}

void AtomicFile::Commit() {
    Flush();
    if (unnamed_ && LinkUnnamed(name_)) {
        Finish();
        return;
    }
    ReplaceTarget();
}

bool AtomicFile::CommitIfFree() {
    Flush();
    if (unnamed_) {
        if (LinkUnnamed(name_)) {
            Finish();
            return true;
        }
    } else if (PlaceNamedIfFree()) {
        Finish();
        return true;
    }
    if (TakenByAnother()) {
        return false;
    }
    ReplaceTarget();
    return true;
}

// Moves the named temporary file to the target's name unless that name is
// taken; false when it is.
bool AtomicFile::PlaceNamedIfFree() {
    if (::renameat2(folder_fd_, temp_name_.c_str(), folder_fd_, name_.c_str(), RENAME_NOREPLACE) ==
        0) {
        return true;
    }
    if (errno == EEXIST) {
        return false;
    }
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) {
        Fail("replace", errno);
    }
    // A file system without that kind of rename: a hard link is just as
    // exclusive, and the temporary name is dropped afterwards.
    if (::linkat(folder_fd_, temp_name_.c_str(), folder_fd_, name_.c_str(), 0) != 0) {
        if (errno == EEXIST) {
            return false;
        }
        Fail("replace", errno);
    }
    ::unlinkat(folder_fd_, temp_name_.c_str(), 0);
    return true;
}

// An empty regular file under the target's name is as good as a free name;
// anything else there belongs to someone and stays.
bool AtomicFile::TakenByAnother() const {
    struct stat info {};
    if (::fstatat(folder_fd_, name_.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
        return errno != ENOENT;
    }
    return !S_ISREG(info.st_mode) || info.st_size > 0;
}

void AtomicFile::Finish() noexcept {
    ForgetTemporaryFile(cleanup_slot_);
    cleanup_slot_ = -1;
    temp_name_.clear();
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    committed_ = true;
}

void AtomicFile::Fail(const char* action, int error_number) {
    Discard();
    throw UserError(std::string("Cannot ") + action + " " + target_.string() + ": " +
                    std::strerror(error_number));
}

void AtomicFile::Refuse(const std::string& reason) {
    Discard();
    throw UserError("Cannot replace " + target_.string() + ": " + reason + ".");
}

void AtomicFile::Discard() noexcept {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temp_name_.empty()) {
        ::unlinkat(folder_fd_, temp_name_.c_str(), 0);
        temp_name_.clear();
    }
    ForgetTemporaryFile(cleanup_slot_);
    cleanup_slot_ = -1;
}

}  // namespace tremorline
