// SPDX-License-Identifier: MIT
#include "harness.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <system_error>

#include "fuzz_target.h"

namespace tremorline::fuzz {
namespace {

std::filesystem::path MakeScratchFolder() {
    std::error_code error;
    std::filesystem::path base("/dev/shm");
    if (!std::filesystem::is_directory(base, error)) {
        base = std::filesystem::temp_directory_path();
    }
    std::string pattern = (base / "tremorline-fuzz-XXXXXX").string();
    Check(::mkdtemp(pattern.data()) != nullptr, "cannot make the scratch folder");
    // Outputs go one level down, so that a name leading out of the output
    // folder ("../x") lands where the checks still see it.
    const std::filesystem::path outputs = std::filesystem::path(pattern) / "out";
    std::filesystem::create_directory(outputs, error);
    Check(!error, "cannot make the output folder");
    return outputs;
}

void RemoveScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(ScratchFolder().parent_path(), ignored);
}

}  // namespace

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}

MemoryFile::MemoryFile(std::span<const std::uint8_t> bytes)
    : fd_(::memfd_create("trace.sac", MFD_CLOEXEC)) {
    Check(fd_ >= 0, "memfd_create failed");
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd_, bytes.data() + done, bytes.size() - done);
        Check(written > 0, "cannot fill the memory file");
        done += static_cast<std::size_t>(written);
    }
}

MemoryFile::~MemoryFile() {
    ::close(fd_);
}

std::filesystem::path MemoryFile::path() const {
    return "/proc/self/fd/" + std::to_string(fd_);
}

const std::filesystem::path& ScratchFolder() {
    // Never destroyed, so the clean-up at exit still finds the name: a
    // static path would be destroyed before a handler registered while it
    // was being made runs.
    static const std::filesystem::path* const folder = [] {
        const auto* made = new std::filesystem::path(MakeScratchFolder());
        std::atexit(RemoveScratchFolder);
        return made;
    }();
    return *folder;
}

namespace {

// The entries of the scratch folder other than `expected`, and anything
// written beside it.
void CheckNothingBut(const std::string& expected) {
    for (const auto& entry : std::filesystem::directory_iterator(ScratchFolder().parent_path())) {
        if (entry.path() != ScratchFolder()) {
            std::fprintf(stderr, "written outside the output folder: %s\n", entry.path().c_str());
            Check(false, "an output was written outside its folder");
        }
    }
    for (const auto& entry : std::filesystem::directory_iterator(ScratchFolder())) {
        if (entry.path().filename() != expected) {
            std::fprintf(stderr, "left in the output folder: %s\n", entry.path().c_str());
            Check(false, "an unexpected file (a temporary file?) was left behind");
        }
    }
}

}  // namespace

std::vector<unsigned char> TakeScratchFile(const std::string& name) {
    CheckNothingBut(name);
    const std::filesystem::path path = ScratchFolder() / name;
    Check(std::filesystem::is_regular_file(path), "the output was not written");
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in),
                                     std::istreambuf_iterator<char>()};
    std::filesystem::remove(path);
    return bytes;
}

void CheckScratchEmpty() {
    CheckNothingBut("");
}

void CheckInScratch(const std::filesystem::path& written) {
    Check(written.parent_path() == ScratchFolder(), "an output was named outside its folder");
}

CallTimer::CallTimer() : start_(ThreadSeconds()) {}

CallTimer::~CallTimer() {
    Check(ThreadSeconds() - start_ < kMaxCallSeconds, "one input took longer than a second");
}

double CallTimer::ThreadSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

#ifndef TREMORLINE_LIBFUZZER
std::map<std::string, TargetFunction>& Targets() {
    static std::map<std::string, TargetFunction> targets;
    return targets;
}

bool RegisterTarget(const char* name, TargetFunction function) {
    Targets()[name] = function;
    return true;
}
#endif

}  // namespace tremorline::fuzz
