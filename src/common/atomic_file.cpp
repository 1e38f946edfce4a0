#include "common/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>

#include "common/user_error.h"

namespace tremorline {
namespace {

// A symbolic link is followed, so that the file it names is replaced and the
// link stays a link.
std::filesystem::path ResolveTarget(const std::filesystem::path& target) {
    std::error_code ignored;
    if (std::filesystem::is_symlink(target, ignored)) {
        std::filesystem::path resolved = std::filesystem::weakly_canonical(target, ignored);
        if (!resolved.empty()) {
            return resolved;
        }
    }
    return target;
}

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

}  // namespace

AtomicFile::AtomicFile(std::filesystem::path target) : target_(ResolveTarget(target)) {
    struct stat existing {};
    const bool replacing = ::stat(target_.c_str(), &existing) == 0;
    if (replacing && S_ISDIR(existing.st_mode)) {
        Fail("replace", EISDIR);
    }
    if (replacing && ::access(target_.c_str(), W_OK) != 0) {
        Fail("replace", errno);
    }
    // The temporary name is short, so that a target whose name is near the
    // file system's limit can still be written.
    const std::filesystem::path folder = target_.parent_path();
    for (unsigned attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        temp_path_ = folder / (".tremorline-" + RandomSuffix(attempt) + ".tmp");
        // 0666 less the umask, as any new file; a replaced file keeps its mode.
        fd_ = ::open(temp_path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST) {
            temp_path_.clear();
            Fail("create", errno);
        }
    }
    if (fd_ < 0) {
        temp_path_.clear();
        Fail("create", EEXIST);
    }
    if (replacing && S_ISREG(existing.st_mode) && ::fchmod(fd_, existing.st_mode & 07777) != 0) {
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
