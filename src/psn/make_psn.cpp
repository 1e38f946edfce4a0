// SPDX-License-Identifier: MIT
#include "psn/make_psn.h"

#include <algorithm>
#include <cstdint>

#include "common/atomic_file.h"
#include "psn/psn_builders.h"
#include "psn/psn_file.h"

namespace tremorline::psn {

PsnOutcome MakePsnFile(const trace::LoadedTrace& trace, const std::filesystem::path& folder,
                       const ReplaceExisting& replace, const TargetNamed& named,
                       const Progress& progress) {
    PsnOutcome outcome;
    outcome.records = BuildPSNRecords(trace.info);
    // The samples are read a block at a time as the file is written; a trace
    // that cannot give them all is refused here, before anything is asked.
    trace::RequireSamples(trace);
    const ProgressStage writing(progress, 0,
                                static_cast<std::uint64_t>(std::max(trace.info.NPTS, 0)));
    const std::string name = PsnFileName(trace.info, outcome.records.Header.ComponentLetter);
    outcome.path = folder / name;
    if (named) {
        named(outcome.path);
    }
    const bool holds_data = HoldsData(outcome.path);
    if (holds_data) {
        // A file that could not be replaced (behind another user's link in
        // a shared folder, say) is refused before anyone is asked about it,
        // rather than reported as kept by choice.
        const AtomicFile probe(outcome.path);
    }
    if (holds_data && !replace(name)) {
        return outcome;
    }
    // Leave to replace is given for the file seen now. Where there was none,
    // another run may still write the name before this file is complete:
    // `replace` is asked then, so that its file is not lost unasked.
    outcome.written = holds_data
                          ? WritePsnFile(outcome.path, outcome.records, *trace.samples, {}, writing)
                          : WritePsnFile(
                                outcome.path, outcome.records, *trace.samples,
                                [&] { return replace(name); }, writing);
    return outcome;
}

}  // namespace tremorline::psn
