#pragma once

// An output file that appears whole or not at all. The bytes go to a
// temporary file in the target's folder; Commit() renames it over the target.
// Until then the target, if it existed, is untouched, and a failure or an
// early destruction removes the temporary file.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>

namespace tremorline {

class AtomicFile {
  public:
    // Creates the temporary file. Throws UserError naming the target and the
    // system's reason when the folder cannot take it.
    explicit AtomicFile(std::filesystem::path target);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    void Write(std::span<const unsigned char> bytes);
    void Write(std::span<const std::byte> bytes);
    // Flushes, closes and renames the temporary file over the target.
    void Commit();

    const std::filesystem::path& target() const { return target_; }

  private:
    static constexpr std::size_t kWritebackChunk = std::size_t{8} << 20;

    void StartWriteback(std::uint64_t written);
    [[noreturn]] void Fail(const char* action, int error_number);
    void Discard() noexcept;

    std::filesystem::path target_;
    std::filesystem::path temp_path_;
    int fd_ = -1;
    bool committed_ = false;
    std::uint64_t flushed_ = 0;    // bytes already handed to the disk
    std::uint64_t unflushed_ = 0;  // bytes written since
};

}  // namespace tremorline
