// SPDX-License-Identifier: MIT
#include "sac/trace_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <limits>
#include <string>

#include "common/user_error.h"

namespace tremorline::sac {
namespace {

[[noreturn]] void Throw(const std::filesystem::path& path, const std::string& reason) {
    throw UserError("Cannot read " + path.string() + ": " + reason);
}

[[noreturn]] void ThrowCannotOpen(const std::filesystem::path& path, const std::string& reason) {
    throw UserError("Cannot open " + path.string() + ": " + reason);
}

}  // namespace

TraceFile::TraceFile(const std::filesystem::path& path) : path_(path) {
    // O_NONBLOCK keeps a FIFO from blocking the open; it is refused below.
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0) {
        ThrowCannotOpen(path, std::strerror(errno));
    }
    struct stat info {};
    const bool stated = ::fstat(fd_, &info) == 0;
    const int stat_error = errno;
    if (!stated || !S_ISREG(info.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        if (!stated) {
            ThrowCannotOpen(path, std::strerror(stat_error));
        }
        ThrowCannotOpen(path,
                        S_ISDIR(info.st_mode) ? "it is a folder" : "it is not a regular file");
    }
    int flags = ::fcntl(fd_, F_GETFL);
    if (flags >= 0) {
        ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK);
    }
}

TraceFile::~TraceFile() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

std::uint64_t TraceFile::Size() const {
    struct stat info {};
    if (::fstat(fd_, &info) != 0) {
        Throw(path_, std::strerror(errno));
    }
    return static_cast<std::uint64_t>(info.st_size);
}

void TraceFile::ReadAt(std::uint64_t offset, std::span<unsigned char> out) const {
    std::size_t done = 0;
    while (done < out.size()) {
        if (offset + done > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) {
            Throw(path_, "the file is too large");
        }
        ssize_t got =
            ::pread(fd_, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            Throw(path_, std::strerror(errno));
        }
        if (got == 0) {
            Throw(path_, "the file ends before byte " + std::to_string(offset + out.size()));
        }
        done += static_cast<std::size_t>(got);
    }
}

}  // namespace tremorline::sac
