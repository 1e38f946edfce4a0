#include "psn/make_psn.h"

#include <vector>

#include "psn/psn_builders.h"
#include "psn/psn_file.h"

namespace tremorline::psn {

PsnOutcome MakePsnFile(const trace::LoadedTrace& trace, const std::filesystem::path& folder,
                       const ReplaceExisting& replace, const TargetNamed& named) {
    PsnOutcome outcome;
    outcome.records = BuildPSNRecords(trace.info);
    const std::vector<float> samples = trace::ReadSamples(trace);
    const std::string name = PsnFileName(trace.info, outcome.records.Header.ComponentLetter);
    outcome.path = folder / name;
    if (named) {
        named(outcome.path);
    }
    if (HoldsData(outcome.path) && !replace(name)) {
        return outcome;
    }
    WritePsnFile(outcome.path, outcome.records, samples);
    outcome.written = true;
    return outcome;
}

}  // namespace tremorline::psn
