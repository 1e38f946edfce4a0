#include "common/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include "common/user_error.h"

namespace tremorline {
namespace {

// New files get the permissions an ordinary create would give them; a
// replaced file keeps its own.
mode_t PermissionsFor(const std::filesystem::path& target) {
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
        return existing.st_mode & 07777;
    }
    mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

AtomicFile::AtomicFile(std::filesystem::path target) : target_(std::move(target)) {
    std::filesystem::path folder = target_.parent_path();
    std::string pattern =
        (folder / ("." + target_.filename().string() + ".tmp-XXXXXX")).string();
    fd_ = ::mkstemp(pattern.data());
    if (fd_ < 0) {
        Fail("create", errno);
    }
    temp_path_ = pattern;
    if (::fchmod(fd_, PermissionsFor(target_)) != 0) {
        Fail("create", errno);
    }
}

AtomicFile::~AtomicFile() {
    if (!committed_) {
        Discard();
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

void AtomicFile::Commit() {
    if (::fsync(fd_) != 0) {
        Fail("write", errno);
    }
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        Fail("write", errno);
    }
    if (::rename(temp_path_.c_str(), target_.c_str()) != 0) {
        Fail("replace", errno);
    }
    committed_ = true;
}

void AtomicFile::Fail(const char* action, int error_number) {
    Discard();
    throw UserError(std::string("Cannot ") + action + " " + target_.string() + ": " +
                    std::strerror(error_number));
}

void AtomicFile::Discard() noexcept {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temp_path_.empty()) {
        ::unlink(temp_path_.c_str());
        temp_path_.clear();
    }
}

}  // namespace tremorline
