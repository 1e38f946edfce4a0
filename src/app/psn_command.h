#pragma once

// Make PSN: the loaded trace as a PSN Type 4 file in the output folder.

#include "app/app_state.h"
#include "app/window_ops.h"

namespace tremorline::app {

// The question asked before a file holding data is replaced.
std::string OverwriteQuestion(const std::string& file_name);
inline constexpr const char* kOverwriteAborted = "Overwrite aborted";

// Builds the three records, reads the samples afresh, names the file after
// the reference time, station and component letter, asks before replacing a
// file that holds data, writes the file whole and disables Make PSN. A
// failure is shown in a message box; the command then names, touches and
// disables nothing (a failed write leaves any old file as it was).
void MakePsn(AppState& state, WindowOps& window);

}  // namespace tremorline::app
