#pragma once

// Everything the main window owns for the run, in one plain struct: the open
// trace file, the header, the derived values, the summary, the PSN records
// and the sound. Form1 holds exactly one; the commands work on it.

#include <memory>
#include <string>
#include <vector>

#include "common/user_error.h"
#include "psn/psn_records.h"
#include "sac/sac_header.h"
#include "sac/trace_file.h"
#include "sound/sound_state.h"
#include "trace/trace_info.h"

namespace tremorline::app {

struct AppState {
    std::unique_ptr<sac::TraceFile> trace_file;  // null when no trace file is open
    sac::SacHeader SacHeader;
    bool FileSwapped = false;
    bool FileNative = false;
    std::string TraceFileTitle;
    std::vector<float> Samples;
    trace::TraceInfo TraceInfo;
    std::string summary;
    psn::PSNRecords PSNRecords;    // as the last Make PSN built them
    sound::SoundState SoundState;  // as the last set-up and play left it
};

// After a refused load both byte-order flags are off while TraceInfo still
// describes the previous trace: the open file is not that trace, so a command
// must not read its samples as if it were. `doing` completes the message
// ("setting up its sound").
inline void RequireLoadedTrace(const AppState& state, const std::string& doing) {
    if (!state.FileNative && !state.FileSwapped) {
        throw UserError("No SAC trace is loaded. Open a trace before " + doing + ".");
    }
}

}  // namespace tremorline::app
