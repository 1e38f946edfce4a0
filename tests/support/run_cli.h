// SPDX-License-Identifier: MIT
#pragma once

// Runs the built tremorline-cli as a process and captures what it writes to
// stdout and stderr and its exit status.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <string>
#include <vector>

#include "support/temp_dir.h"

extern char** environ;

namespace tremorline::testing {

struct RunResult {
    std::string out;
    std::string err;
    int status = -1;
};

inline std::string FileText(const std::filesystem::path& path) {
    std::vector<unsigned char> bytes = ReadFileBytes(path);
    return {bytes.begin(), bytes.end()};
}

inline RunResult RunCli(const std::vector<std::string>& arguments) {
    TempDir dir;
    const std::string out_path = (dir / "out").string();
    const std::string err_path = (dir / "err").string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    std::vector<std::string> all = {TREMORLINE_CLI_PATH};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : all) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);

    RunResult result;
    pid_t pid = 0;
    int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        ADD_FAILURE() << "cannot start " << argv[0];
        return result;
    }
    int wait_status = 0;
    waitpid(pid, &wait_status, 0);
    result.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
    result.out = FileText(out_path);
    result.err = FileText(err_path);
    return result;
}

}  // namespace tremorline::testing
