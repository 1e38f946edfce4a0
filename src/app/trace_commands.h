#pragma once

// Bringing a trace in and letting it go: start-up, File > Open, File > Close,
// and the loader with its header summary.

#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/window_ops.h"

namespace tremorline::app {

// The text shown for an Open or start-up that failed.
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
// file, opens and loads it. A start-up file that cannot be opened or read
// shows "Error" in Text1, as Open does, and the window stays usable.
void StartUp(AppState& state, WindowOps& window, const std::string& argument_string);

// File > Open: close the trace, choose a file, open and load it. Any failure
// (a cancelled dialog included) closes the trace file and shows "Error".
void OpenTraceFile(AppState& state, WindowOps& window);

// File > Close: close the trace file; the summary and loaded values stay.
void CloseTraceFile(AppState& state, WindowOps& window);

// Decides the byte order, reads the header and summarises it. A file readable
// in neither order is refused with "Unknown data type" and changes nothing
// else. A read or summary failure throws, for the caller's error path.
void LoadSacFile(AppState& state, WindowOps& window);

// Refreshes TraceInfo, shows the summary in Text1 and enables Make PSN.
// Throws when the trace's times cannot be worked out.
void ShowHeaderSummary(AppState& state, WindowOps& window);

}  // namespace tremorline::app
