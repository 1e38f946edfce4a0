// SPDX-License-Identifier: MIT
#include "dsp/filtered_trace.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "common/user_error.h"
#include "dsp/trace_filter.h"
#include "sac/sac_writer.h"

namespace tremorline::dsp {
namespace {

// IFTYPE values of files that hold a spectrum or x-y pairs, not a time series.
constexpr std::int32_t kSpectrumRealImaginary = 2;
constexpr std::int32_t kSpectrumAmplitudePhase = 3;
constexpr std::int32_t kXY = 4;

}  // namespace

TraceFilter FixFilterForTrace(const trace::LoadedTrace& trace, const FilterRequest& request,
                              std::optional<double> play_rate) {
    const std::int32_t iftype = trace.header.ints[sac::integer::IFTYPE];
    if (trace.header.ints[sac::integer::LEVEN] == 0 || iftype == kSpectrumRealImaginary ||
        iftype == kSpectrumAmplitudePhase || iftype == kXY) {
        throw UserError(
            "cannot filter: the file holds no evenly sampled time series (LEVEN, IFTYPE).");
    }
    return FixFilter(request, static_cast<double>(trace.header.reals[sac::real::DELTA]), play_rate);
}

trace::LoadedTrace FilteredTrace(const trace::LoadedTrace& trace, const TraceFilter& filter,
                                 const Progress& progress) {
    std::vector<float> samples = ToSingle(FilterTrace(*trace.samples, filter, progress).span());
    trace::LoadedTrace filtered = trace;
    // The dependent range describes the samples now held, as the axis says.
    const auto [min, max] = std::minmax_element(samples.begin(), samples.end());
    double sum = 0.0;
    for (const float value : samples)
        sum += value;
    filtered.header.reals[sac::real::DEPMIN] = *min;
    filtered.header.reals[sac::real::DEPMAX] = *max;
    filtered.header.reals[sac::real::DEPMEN] =
        static_cast<float>(sum / static_cast<double>(samples.size()));
    filtered.samples = std::make_shared<MemorySampleSource>(std::move(samples));
    return filtered;
}

}  // namespace tremorline::dsp
