#pragma once

// Commands that write files (Make PSN, Save Sound) write into the process's
// current folder, and Open changes it. Tests that do either hold one of these
// so the folder is put back whatever happens.

#include <filesystem>

namespace tremorline::testing {

class CurrentFolderGuard {
  public:
    // Remembers the current folder.
    CurrentFolderGuard() : saved_(std::filesystem::current_path()) {}
    // Remembers the current folder, then makes `folder` current.
    explicit CurrentFolderGuard(const std::filesystem::path& folder) : CurrentFolderGuard() {
        std::filesystem::current_path(folder);
    }
    ~CurrentFolderGuard() {
        std::error_code ignored;
        std::filesystem::current_path(saved_, ignored);
    }
    CurrentFolderGuard(const CurrentFolderGuard&) = delete;
    CurrentFolderGuard& operator=(const CurrentFolderGuard&) = delete;

  private:
    std::filesystem::path saved_;
};

}  // namespace tremorline::testing
