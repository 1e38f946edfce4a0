// SPDX-License-Identifier: MIT
#pragma once

// What every fuzz target shares: feeding bytes in as a file, a scratch
// folder for outputs, and the checks that turn a wrong result into a finding.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace tremorline::fuzz {

// Ends the run as a finding, with `what` on stderr, when `condition` fails.
void Check(bool condition, const char* what);

// The bytes as a file in memory, opened by path like any trace file.
class MemoryFile {
  public:
    explicit MemoryFile(std::span<const std::uint8_t> bytes);
    ~MemoryFile();
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    std::filesystem::path path() const;

  private:
    int fd_ = -1;
};

// A folder of this process's own for outputs, empty between runs and removed
// when the process ends.
const std::filesystem::path& ScratchFolder();

// Checks that the scratch folder holds exactly the file `name`, and above all
// no temporary file, then takes the file out and returns its bytes.
std::vector<unsigned char> TakeScratchFile(const std::string& name);

// Checks that the scratch folder is empty: a refused write left nothing.
void CheckScratchEmpty();

// Checks that `written`, the path an output was written to, lies directly in
// the scratch folder.
void CheckInScratch(const std::filesystem::path& written);

// Checks, when it goes, that the thread spent less than a second of CPU time
// since it was made: no input may make the program loop. CPU time, not the
// clock, so a busy machine does not make a finding.
class CallTimer {
  public:
    CallTimer();
    ~CallTimer();
    CallTimer(const CallTimer&) = delete;
    CallTimer& operator=(const CallTimer&) = delete;

  private:
    static constexpr double kMaxCallSeconds = 1.0;
    static double ThreadSeconds();
    double start_;
};

}  // namespace tremorline::fuzz
