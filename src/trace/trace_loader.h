// SPDX-License-Identifier: MIT
#pragma once

// Loading any trace file the program reads: a SAC file, tried first, or a
// miniSEED file, told by its content. A SAC file is one trace; a miniSEED
// file is one trace per continuous segment.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "common/user_error.h"
#include "trace/loaded_trace.h"

namespace tremorline::trace {

// A miniSEED file that cannot be read: truncated, a corrupt record, an
// impossible rate, count or time. Its message names the file and the reason,
// for the user to see, since it says more than that the load failed.
class UnreadableMiniSeed : public UserError {
  public:
    using UserError::UserError;
};

// Every trace the file at `path` holds, in file order. Nothing when the file
// is neither SAC in either byte order nor miniSEED: the caller says "Unknown
// data type". Throws UserError when a SAC file cannot be read, and
// UnreadableMiniSeed when a miniSEED file cannot be.
std::optional<std::vector<LoadedTrace>> LoadTraceFile(const std::filesystem::path& path);

// Why the file at `path`, for which LoadTraceFile gave nothing, is neither
// kind of trace file: "NZJDAY ... so this is not a SAC binary file ..., nor a
// miniSEED file: its 7th byte is not a record's quality code ...".
std::string UnknownDataTypeReason(const std::filesystem::path& path);

// The first line of the trace's summary: the file's name for a SAC file;
// for a miniSEED segment, the file's name and the segment's source name,
// "test.mseed  IU.COLA.00.LHZ".
std::string SummaryTitle(const LoadedTrace& trace);

// How the segment follows the one before it of the same channel, for a list:
// empty for a channel's first segment, "follows on", "gap of 10 s" or
// "overlap of 2.5 s".
std::string GapText(const std::optional<double>& gap_before);

}  // namespace tremorline::trace
