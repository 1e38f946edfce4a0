// SPDX-License-Identifier: MIT
#include "app/psn_command.h"

#include <string>

#include "app/command_guard.h"
#include "psn/make_psn.h"

namespace tremorline::app {

std::string OverwriteQuestion(const std::string& file_name) {
    return "Do you want to overwrite " + file_name + " ?";
}

std::string PsnWrittenNote(const std::filesystem::path& path) {
    return "PSN file written: " + path.string();
}

void MakePsn(AppState& state, WindowOps& window) {
    RunCommand(window, [&] {
        const trace::LoadedTrace& trace = RequireLoadedTrace(state, "making its PSN file");
        psn::PsnOutcome outcome;
        window.RunLong("Making the PSN file", [&](const Progress& progress) {
            outcome = psn::MakePsnFile(
                trace, state.output_folder,
                [&](const std::string& name) { return window.AskYesNo(OverwriteQuestion(name)); },
                {}, progress);
        });
        state.PSNRecords = outcome.records;
        if (!outcome.written) {
            window.ShowMessage(kOverwriteAborted);
            return;
        }
        window.SetEnabled(Control::MakePsn, false);
        window.ShowStatus(PsnWrittenNote(outcome.path));
    });
}

}  // namespace tremorline::app
