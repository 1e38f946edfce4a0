// SPDX-License-Identifier: MIT
#pragma once

// Bringing a trace in and letting it go: start-up, File > Open, File > Close,
// and the loader with its header summary.

#include <filesystem>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/window_ops.h"

namespace tremorline::app {

// The first line of Text1 after an Open or start-up that failed; the reason
// follows on the next line.
inline constexpr const char* kOpenErrorText = "Error";

// The program's argument string: its arguments joined by single spaces.
std::string ArgumentString(const std::vector<std::string>& arguments);

// The path named by the argument string: the string without its enclosing
// double quotes when it starts and ends with one, the string itself otherwise.
// (The shell has already removed quotes around a path typed on the command
// line; a file manager or a script may still pass them.)
std::string PathFromArgumentString(const std::string& argument_string);

// The part of a path after its last separator, extension included.
std::string FileTitle(const std::string& path);

// The start-up sequence, after the window has filled its rate list: disables
// the sound buttons, shows the argument string in Label1 and, when it names a
// file, opens and loads it; outputs then go to that file's folder, as after
// an Open. A start-up file that cannot be opened or read shows "Error" and
// the reason in Text1, as Open does, and the window stays usable.
void StartUp(AppState& state, WindowOps& window, const std::string& argument_string);

// File > Open: choose a file, then open it as below. A cancelled dialog is
// the user changing their mind and changes nothing at all.
void OpenTraceFile(AppState& state, WindowOps& window);

// Opens the file at `path` as File > Open does once a file is chosen (also
// for a file dropped on the window): the old trace is closed, the file is
// loaded, and outputs go to its folder from then on. Any failure shows
// "Error" and the reason in Text1; a damaged miniSEED file also gets a
// message saying why. Cancelling the choice among a miniSEED file's segments
// puts everything back as it was before.
void OpenTraceFile(AppState& state, WindowOps& window, const std::filesystem::path& path);

// File > Close: close the trace file; the summary and loaded values stay.
void CloseTraceFile(AppState& state, WindowOps& window);

// What a load of one trace file came to.
enum class LoadOutcome {
    Loaded,     // the trace is the one the commands work on
    Refused,    // "Unknown data type" was shown; no trace is loaded
    Cancelled,  // the user cancelled the choice of segment; nothing changed
};

// Loads the trace file at `path`, SAC or miniSEED, and makes its trace the
// one the commands work on. A miniSEED file of several segments asks which
// one; cancelling changes nothing. A file of neither kind is refused with
// "Unknown data type": no trace is then loaded, and the window still shows
// the previous summary. A failure to open, read or work out the trace's
// times throws, for the caller's error path, and changes nothing.
LoadOutcome LoadSacFile(AppState& state, WindowOps& window, const std::filesystem::path& path);

// Shows the loaded trace's summary in Text1 and enables Make PSN.
void ShowHeaderSummary(const AppState& state, WindowOps& window);

}  // namespace tremorline::app
