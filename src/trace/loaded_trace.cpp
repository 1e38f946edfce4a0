// SPDX-License-Identifier: MIT
#include "trace/loaded_trace.h"

#include <algorithm>
#include <span>

#include "common/user_error.h"
#include "sac/sac_sample_source.h"
#include "sac/trace_file.h"
#include "trace/number_forms.h"
#include "trace/trace_times.h"

namespace tremorline::trace {

std::optional<LoadedTrace> LoadSacTrace(const std::filesystem::path& path) {
    auto file = std::make_shared<const sac::TraceFile>(path);
    sac::LoadedHeader loaded = sac::ReadSacHeader(*file);
    if (loaded.order == sac::ByteOrder::Unknown) {
        return std::nullopt;
    }
    LoadedTrace trace;
    trace.path = path;
    trace.title = path.filename().string();
    trace.order = loaded.order;
    trace.header = loaded.header;
    CopyTraceInfo(trace.header, trace.info);
    ComputeTraceTimes(trace.info);
    trace.samples =
        std::make_shared<const sac::SacSampleSource>(std::move(file), trace.order, trace.info.NPTS);
    return trace;
}

void RequireSamples(const LoadedTrace& trace) {
    if (trace.info.NPTS < 1) {
        throw UserError("The trace has no samples (NPTS is " + IntegerText(trace.info.NPTS) + ").");
    }
    const SampleSource& source = *trace.samples;
    // Reading the last sample first makes a source refuse a trace longer than
    // its file before the whole trace is allocated.
    float last = 0;
    source.Read(source.Count() - 1, std::span<float>(&last, 1));
}

std::vector<float> ReadSamples(const LoadedTrace& trace, const ProgressStage& stage) {
    RequireSamples(trace);
    const SampleSource& source = *trace.samples;
    std::vector<float> samples = AllocateSamples<float>(source.Count());
    for (std::size_t first = 0; first < samples.size(); first += kProgressBlock) {
        stage.Step(first, samples.size());
        const std::size_t count = std::min(kProgressBlock, samples.size() - first);
        source.Read(first, std::span<float>(samples).subspan(first, count));
    }
    stage.Step(samples.size(), samples.size());
    return samples;
}

}  // namespace tremorline::trace
