// SPDX-License-Identifier: MIT
#pragma once

// Long steps of the window's commands (set-up, PSN, saving, and whatever
// reads, filters or writes a whole trace) run on a worker thread, so that
// the window never freezes: it keeps drawing, the sound keeps playing and
// its position line keeps moving. The command's own code stays in order:
// it calls RunLongStep, which returns (or throws) when the work has ended.
//
// For about half a second nothing shows, and the user's clicks and keys
// wait; after that a progress bar with Cancel comes up over the window.
// Cancel asks the work to stop through its Progress; the work throws
// Cancelled from its next Step, and RunLongStep throws it on for the command
// to drop what it began (see RunCommand).

#include <QString>
#include <chrono>

#include "app/window_ops.h"

class QWidget;

namespace tremorline::app {

// How long a step runs before its progress bar appears.
inline constexpr std::chrono::milliseconds kProgressDelay{500};

// Runs `work` on a thread of its own while the window's thread goes on
// handling events. Returns when the work has ended; throws what the work
// threw (Cancelled after Cancel). `window` is the window the progress bar
// is shown over.
void RunLongStep(QWidget* window, const QString& title, const LongWork& work);

// Runs `ask` on the thread of `window` and returns its result: for work on
// a worker that must ask the user something.
bool AskOnWindowThread(QWidget* window, const std::function<bool()>& ask);

}  // namespace tremorline::app
