#include "app/psn_command.h"

#include <string>

#include "app/command_guard.h"
#include "psn/psn_builders.h"
#include "psn/psn_file.h"
#include "sac/sac_loader.h"

namespace tremorline::app {

std::string OverwriteQuestion(const std::string& file_name) {
    return "Do you want to overwrite " + file_name + " ?";
}

void MakePsn(AppState& state, WindowOps& window) {
    RunCommand(window, [&] {
        RequireLoadedTrace(state, "making its PSN file");
        const trace::TraceInfo& info = state.TraceInfo;
        const psn::PSNRecords records = psn::BuildPSNRecords(info);
        state.PSNRecords = records;
        state.Samples = sac::ReadSamples(state.trace_file.get(), info.NPTS, state.FileSwapped);

        const std::string name = psn::PsnFileName(info, records.Header.ComponentLetter);
        if (psn::HoldsData(name) && !window.AskYesNo(OverwriteQuestion(name))) {
            window.ShowMessage(kOverwriteAborted);
            return;
        }
        psn::WritePsnFile(name, state.PSNRecords, state.Samples);
        window.SetEnabled(Control::MakePsn, false);
    });
}

}  // namespace tremorline::app
