// SPDX-License-Identifier: MIT
#include "cli/filter_options.h"

#include <charconv>

#include "common/control_bytes.h"
#include "dsp/filtered_trace.h"

namespace tremorline::cli {

void AddFilterOptions(CLI::App& command, FilterOptions& options) {
    command.add_option("--filter", options.text, "Filter each trace first (see below)")
        ->option_text("FILTER");
    command.add_option("--corners", options.corners, "Order of the filter, 1 to 10 (default 4)")
        ->option_text("N");
    command.add_flag("--causal", options.causal,
                     "Filter in one pass, keeping onsets causal (default: zero phase)");
}

dsp::FilterRequest ReadFilterOptions(const FilterOptions& options, AudibleBand audible) {
    if (options.text.empty()) {
        if (!options.corners.empty()) {
            throw CLI::ValidationError("--corners " + options.corners + ": give it with --filter");
        }
        if (options.causal) {
            throw CLI::ValidationError("--causal: give it with --filter");
        }
        return {};
    }
    const dsp::FilterTextReading reading = dsp::ReadFilterText(options.text);
    if (!reading.request) {
        throw CLI::ValidationError("--filter \"" + options.text + "\": " + reading.problem);
    }
    dsp::FilterRequest request = *reading.request;
    if (request.kind == dsp::FilterKind::Audible && audible == AudibleBand::NoRate) {
        throw CLI::ValidationError(
            "--filter audible: the audible band follows the rate of a sound (wav --rate), "
            "which this command has not; give the band, such as bandpass:1:10");
    }
    if (!options.corners.empty()) {
        int corners = 0;
        const char* end = options.corners.data() + options.corners.size();
        const auto [stop, error] = std::from_chars(options.corners.data(), end, corners);
        if (error != std::errc() || stop != end || !dsp::ValidCorners(corners)) {
            throw CLI::ValidationError("--corners \"" + options.corners +
                                       "\": give a whole number from 1 to 10");
        }
        request.corners = corners;
    }
    request.zero_phase = !options.causal;
    return request;
}

std::optional<dsp::TraceFilter> FixFilterOption(const trace::LoadedTrace& trace,
                                                const dsp::FilterRequest& request,
                                                std::optional<double> play_rate, TraceLog& log) {
    if (!request.Active()) {
        return std::nullopt;
    }
    dsp::TraceFilter filter = dsp::FixFilterForTrace(trace, request, play_rate);
    if (!filter.note.empty()) {
        log.Err(TerminalText(trace.path.string()) + ": " + TerminalText(filter.note) + "\n");
    }
    return filter;
}

trace::LoadedTrace ApplyFilter(const trace::LoadedTrace& trace, const dsp::FilterRequest& request,
                               std::optional<double> play_rate, TraceLog& log,
                               std::string* description) {
    const std::optional<dsp::TraceFilter> filter = FixFilterOption(trace, request, play_rate, log);
    if (description != nullptr) {
        *description = filter ? filter->Description() : std::string();
    }
    if (!filter) {
        return trace;
    }
    return dsp::FilteredTrace(trace, *filter, Progress{});
}

}  // namespace tremorline::cli
