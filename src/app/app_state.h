// SPDX-License-Identifier: MIT
#pragma once

// Everything the main window owns for the run, in one plain struct: the
// loaded trace, the output folder, the PSN records and the sound. Form1
// holds exactly one; the commands work on it.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "common/user_error.h"
#include "dsp/filter_text.h"
#include "psn/psn_records.h"
#include "sound/sound_state.h"
#include "trace/loaded_trace.h"

namespace tremorline::app {

// A filter as it was applied to a sound or a drawing: the request, and for
// the audible band the play rate its band was worked out for.
struct AppliedFilter {
    dsp::FilterRequest request;
    std::optional<double> rate;

    friend bool operator==(const AppliedFilter&, const AppliedFilter&) = default;
};

// The last trace filtered, kept so that Play after Set Up Sound, or the
// waveform window after either, does not filter it again. It belongs to one
// trace and one filter: a new trace or a new choice drops it.
struct FilteredTraceCache {
    std::weak_ptr<const trace::LoadedTrace> source;
    AppliedFilter filter;
    std::shared_ptr<const trace::LoadedTrace> filtered;
    std::string description;  // "band-pass 1-10 Hz, 4 corners, zero phase"
    std::string note;         // what was changed to fit the trace, if anything
};

struct AppState {
    // The trace the commands work on, made by the last completed load. Null
    // when there is none: before the first load, after a refused load, and
    // once Open or Close has let its file go. Holding it keeps the file open.
    std::shared_ptr<const trace::LoadedTrace> trace;
    // Set when Close or a failed Open let a loaded trace go, so that a
    // command can say the file is closed rather than that nothing was loaded.
    bool trace_closed = false;
    // The name Open or start-up gave last, also of a file that was refused.
    std::string TraceFileTitle;
    // Where Make PSN and Save Sound write: the folder of the trace last
    // opened (by Open, a drop or the command line), the program's starting
    // folder before.
    std::filesystem::path output_folder;
    // The trace whose summary Text1 shows; it outlives Close, which leaves
    // the summary on show, and goes with an Open that fails.
    std::weak_ptr<const trace::LoadedTrace> shown_trace;
    psn::PSNRecords PSNRecords;    // as the last Make PSN built them
    sound::SoundState SoundState;  // as the last set-up and play left it
    // The trace SoundState was set up from: its sound is told apart from a
    // trace opened since by this, not by its name.
    std::weak_ptr<const trace::LoadedTrace> sound_trace;
    // The filter chosen in the Sound Box (none at start), and the one
    // SoundState's audio samples were made with.
    dsp::FilterRequest filter;
    AppliedFilter sound_filter;
    FilteredTraceCache filtered;

    // The byte-order flags of the trace the commands work on: one is set
    // while a trace is loaded, neither otherwise.
    bool FileSwapped() const { return trace && trace->order == sac::ByteOrder::Big; }
    bool FileNative() const { return trace && trace->order == sac::ByteOrder::Little; }
};

// The loaded trace, or UserError saying why there is none. `doing` completes
// the message ("setting up its sound").
// True when `a` and `b` are the same loaded trace (both none included).
template <typename A, typename B>
bool SameTrace(const A& a, const B& b) {
    return !a.owner_before(b) && !b.owner_before(a);
}

inline const trace::LoadedTrace& RequireLoadedTrace(const AppState& state,
                                                    const std::string& doing) {
    if (state.trace) {
        return *state.trace;
    }
    if (state.trace_closed) {
        throw UserError("No trace file is open. Open the trace again to read its samples.");
    }
    throw UserError("No SAC trace is loaded. Open a trace before " + doing + ".");
}

}  // namespace tremorline::app
