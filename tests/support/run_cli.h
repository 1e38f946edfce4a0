// SPDX-License-Identifier: MIT
#pragma once

// Runs the built tremorline-cli as a process and captures what it writes to
// stdout and stderr and its exit status; or starts it on descriptors of the
// test's choosing, for runs that overlap or write to a terminal.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace tremorline::testing {

struct RunResult {
    std::string out;
    std::string err;
    int status = -1;  // the exit status; -1 when ended by a signal
    bool signalled = false;
};

inline std::string FileText(const std::filesystem::path& path) {
    std::vector<unsigned char> bytes = ReadFileBytes(path);
    return {bytes.begin(), bytes.end()};
}

// What the process is given besides its arguments.
struct CliSetup {
    std::string input;           // the bytes of standard input (empty: none)
    rlim_t file_size_limit = 0;  // ulimit -f in bytes (0: none)
};

inline int OpenForOutput(const std::filesystem::path& path) {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
}

// Starts the tool with its stdout and stderr going to `out` and `err`, and
// SIGXFSZ at its default action as a shell leaves it. The caller waits for
// it with WaitCli.
inline pid_t StartCli(const std::vector<std::string>& arguments, int out, int err,
                      const CliSetup& setup = {}) {
    std::vector<std::string> all = {TREMORLINE_CLI_PATH};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : all) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    TempDir input_dir;
    const std::filesystem::path input_path = input_dir / "in";
    std::ofstream(input_path, std::ios::binary) << setup.input;
    const int input = ::open(input_path.c_str(), O_RDONLY | O_CLOEXEC);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::signal(SIGXFSZ, SIG_DFL);
        if (setup.file_size_limit > 0) {
            rlimit limit{setup.file_size_limit, setup.file_size_limit};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        ::dup2(input, 0);
        ::dup2(out, 1);
        ::dup2(err, 2);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(input);
    if (pid < 0) {
        ADD_FAILURE() << "cannot start " << argv[0];
    }
    return pid;
}

// Waits for a tool started with StartCli and reads what it wrote to the
// files `out` and `err`.
inline RunResult WaitCli(pid_t pid, const std::filesystem::path& out,
                         const std::filesystem::path& err) {
    RunResult result;
    int status = 0;
    if (pid > 0) {
        ::waitpid(pid, &status, 0);
    }
    result.signalled = WIFSIGNALED(status);
    result.status = pid > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = FileText(out);
    result.err = FileText(err);
    return result;
}

inline RunResult RunCli(const std::vector<std::string>& arguments, const CliSetup& setup = {}) {
    TempDir dir;
    const int out = OpenForOutput(dir / "out");
    const int err = OpenForOutput(dir / "err");
    const pid_t pid = StartCli(arguments, out, err, setup);
    ::close(out);
    ::close(err);
    return WaitCli(pid, dir / "out", dir / "err");
}

}  // namespace tremorline::testing
