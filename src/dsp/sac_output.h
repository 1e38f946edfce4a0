// SPDX-License-Identifier: MIT
#pragma once

// Writing a trace as a SAC binary file, filtered or as recorded, so that it
// can go on to any other program.
//
// A trace read from a SAC file keeps the file's name, byte order and header
// bytes; only DEPMIN, DEPMAX and DEPMEN are set from the samples written,
// and B, E and NPTS from the trace (a trace cut to a span has its own). A
// miniSEED segment is written little-endian under the name and with the
// header its usual conversion to SAC gives; a whole unfiltered segment is
// that conversion's file byte for byte (which leaves DEPMIN, DEPMAX and
// DEPMEN unset).

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "common/progress.h"
#include "dsp/filter_text.h"
#include "trace/loaded_trace.h"

namespace tremorline::dsp {

enum class ExistingOutput { Keep, Replace };

struct SacOutcome {
    std::filesystem::path path;
    bool written = false;  // false when the file held data and was kept
};

// The name of the SAC file written for a trace titled `title`: the title
// itself, once it has passed the output name check (SafeOutputName). Throws
// UserError for a title that cannot name a file in the output folder.
std::string SacFileName(std::string_view title);

// Told the target's path once it is named, before anything is read or
// written; it may throw to stop there.
using OutputNamed = std::function<void(const std::filesystem::path& path)>;

// Writes the trace, filtered by `filter` when given, into `folder` under
// the trace's title, whole or not at all. A target that holds data is kept
// unless `existing` is Replace; the trace file itself is never replaced.
// Throws UserError when the trace cannot be read or filtered or the file
// cannot be written. A zero-phase filter holds the trace once in double
// precision; anything else is streamed a block at a time.
SacOutcome WriteSacOutput(const trace::LoadedTrace& trace, const std::optional<TraceFilter>& filter,
                          const std::filesystem::path& folder, ExistingOutput existing,
                          const OutputNamed& named, const Progress& progress);

// Writes the trace, filtered by `filter` when given, to `path`, whole or
// not at all, replacing any file there but the trace file itself (which it
// refuses). DEPMIN, DEPMAX and DEPMEN are always those of the samples
// written. Throws UserError as WriteSacOutput does.
void WriteSacFile(const trace::LoadedTrace& trace, const std::optional<TraceFilter>& filter,
                  const std::filesystem::path& path, const Progress& progress);

}  // namespace tremorline::dsp
