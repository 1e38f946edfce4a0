// SPDX-License-Identifier: MIT
#include "harness.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
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
    return pattern;
}

void RemoveScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(ScratchFolder(), ignored);
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
    static const std::filesystem::path folder = [] {
        std::filesystem::path made = MakeScratchFolder();
        std::atexit(RemoveScratchFolder);
        return made;
    }();
    return folder;
}

namespace {

// The entries of the scratch folder other than `expected`.
void CheckNothingBut(const std::string& expected) {
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
