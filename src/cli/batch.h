// SPDX-License-Identifier: MIT
#pragma once

// What every command of the batch tool shares: its exit statuses, the
// output folder's check, and loading a file's traces.

#include <ostream>
#include <string>
#include <vector>

#include "trace/loaded_trace.h"

namespace tremorline::cli {

// Exit status of a run in which some trace failed.
inline constexpr int kSomeFilesFailed = 1;
// Exit status of a run stopped before any file was read, because the command
// line asks for something the tool cannot do.
inline constexpr int kUsageError = 2;

// `text` with its line ends made blanks: one reason, one line, since a line
// end inside a message would split the report.
std::string OneLine(std::string text);

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
