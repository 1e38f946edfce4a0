// SPDX-License-Identifier: MIT
#pragma once

// The open SAC trace file. It stays open from a load until the next Open,
// Close or Exit, because the samples are read from it again on demand.
// Reads fail loudly: a short read is an error, never zeros.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>

namespace tremorline::sac {

class TraceFile {
  public:
    // Opens a regular file for reading; throws UserError with the system's
    // reason otherwise. A FIFO or device is refused without blocking on it.
    explicit TraceFile(const std::filesystem::path& path);
    ~TraceFile();
    TraceFile(const TraceFile&) = delete;
    TraceFile& operator=(const TraceFile&) = delete;

    // The file's length in bytes, asked afresh.
    std::uint64_t Size() const;

    // Fills `out` from `offset`; throws UserError when the file ends first.
    void ReadAt(std::uint64_t offset, std::span<unsigned char> out) const;

    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
    int fd_ = -1;
};

}  // namespace tremorline::sac
