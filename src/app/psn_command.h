// SPDX-License-Identifier: MIT
#pragma once

// Make PSN: the loaded trace as a PSN Type 4 file in the output folder.

#include <filesystem>
#include <string>

#include "app/app_state.h"
#include "app/window_ops.h"

namespace tremorline::app {

// The question asked before a file holding data is replaced.
std::string OverwriteQuestion(const std::string& file_name);
inline constexpr const char* kOverwriteAborted = "Overwrite aborted";

// The status line after a file is written: its full path.
std::string PsnWrittenNote(const std::filesystem::path& path);

// Builds the three records, reads the samples afresh, names the file after
// the reference time, station and component letter, asks before replacing a
// file that holds data, writes the file whole, disables Make PSN and shows
// the file's path on the status line, with no box to dismiss. A
// failure is shown in a message box; the command then names, touches and
// disables nothing (a failed write leaves any old file as it was), and so
// does a run the user cancels.
void MakePsn(AppState& state, WindowOps& window);

}  // namespace tremorline::app
