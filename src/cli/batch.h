// SPDX-License-Identifier: MIT
#pragma once

// Running one action over many trace files, so that one bad file does not
// stop the others.

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "trace/loaded_trace.h"

namespace tremorline::cli {

// Exit status of a run in which some file failed.
inline constexpr int kSomeFilesFailed = 1;
// Exit status of a run stopped before any file was read, because the command
// line asks for something the tool cannot do.
inline constexpr int kUsageError = 2;

// Works on one file, named as the user gave it. Throws (UserError, with a
// message for the user) when it cannot do its job.
using FileAction = std::function<void(const std::string& file)>;

// Runs `action` on each file in order. A file whose action throws gets one
// line on `errors`, "<file>: <reason>", and the next file is still done.
// Returns 0 when every file succeeded, kSomeFilesFailed otherwise.
int RunForEachFile(const std::vector<std::string>& files, const FileAction& action,
                   std::ostream& errors);

// A subcommand's callback: runs `action` on each file, reporting failures on
// stderr, and throws CLI::RuntimeError(kSomeFilesFailed) when any failed.
void RunBatch(const std::vector<std::string>& files, const FileAction& action);

// Checks the folder given with --output-dir (empty: the current folder,
// which is not checked) before any trace is read: throws
// CLI::ValidationError, a usage error, when it is missing, is no folder or
// cannot be written.
void RequireOutputFolder(const std::string& folder);

// Every trace in the file `file`, loaded as the window loads it: one for a
// SAC file, one per segment for a miniSEED file. Throws UserError when it
// cannot be, "Unknown data type" for a file of neither kind. What the
// library warned of while decoding goes to `warnings`, one "<file>: <note>"
// line each, since the traces are still usable.
std::vector<trace::LoadedTrace> LoadTraces(const std::string& file, std::ostream& warnings);

}  // namespace tremorline::cli
