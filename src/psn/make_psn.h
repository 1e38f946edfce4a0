// SPDX-License-Identifier: MIT
#pragma once

// Making the PSN Type 4 file of a loaded trace: the records, the file name,
// the samples, and the file written whole. The window's Make PSN and the
// batch tool's psn command both do exactly this; they differ only in how
// they decide about a file that already holds data.

#include <filesystem>
#include <functional>
#include <string>

#include "common/progress.h"
#include "psn/psn_records.h"
#include "trace/loaded_trace.h"

namespace tremorline::psn {

// Asked with the file name (no folder) when the target already holds data;
// true replaces it, false keeps it.
using ReplaceExisting = std::function<bool(const std::string& file_name)>;

// Told the target's path as soon as it is named, before anything is asked or
// written. It may throw to stop there, leaving the target untouched.
using TargetNamed = std::function<void(const std::filesystem::path& path)>;

struct PsnOutcome {
    PSNRecords records;
    std::filesystem::path path;  // the folder joined with the file name
    bool written = false;        // false when the file held data and was kept
};

// Builds the three records and reads the samples afresh (a failure there
// names and touches no file), names the file after the reference time,
// station and component letter and tells `named`, asks `replace` when that
// file in `folder` holds data, and writes it whole unless told to keep it. A
// file of that name that appears while the new one is written (another
// run's) is asked about in the same way, so it is never replaced unasked.
// Throws UserError on failure, with any old file left as it was. Reading and
// writing report to `progress`; a stop asked for through it throws Cancelled
// and leaves any old file as it was.
PsnOutcome MakePsnFile(const trace::LoadedTrace& trace, const std::filesystem::path& folder,
                       const ReplaceExisting& replace, const TargetNamed& named = {},
                       const Progress& progress = Progress());

}  // namespace tremorline::psn
