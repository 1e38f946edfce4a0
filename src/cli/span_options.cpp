// SPDX-License-Identifier: MIT
#include "cli/span_options.h"

#include <limits>

#include "common/user_error.h"

namespace tremorline::cli {
namespace {

std::optional<trace::SpanTime> ReadTime(const CLI::Option* option, const std::string& text,
                                        const char* name) {
    if (option == nullptr || option->count() == 0) {
        return std::nullopt;
    }
    std::optional<trace::SpanTime> time = trace::ParseSpanTime(text);
    if (!time) {
        throw CLI::ValidationError(std::string(name) + " \"" + text +
                                   "\" is no time: give seconds after the reference time, such "
                                   "as 12.5, or a UTC time such as 2010-02-27T06:50:00.5Z");
    }
    return time;
}

}  // namespace

const char* const kSpanExplanation =
    R"(

With --start and --end only the samples whose times fall from the start to
the end, both included, are used; either may be left out (from the first or
to the last sample). TIME is seconds after the trace's reference time, as B
and E are (12.5, -3), or a UTC time YYYY-MM-DDTHH:MM:SS[.fff][Z]. Sample i
stands at B + i * DELTA. A trace with no sample in the span fails, with where
it lies; a TIME of neither form, or a start not before the end, is a usage
error.)";

void AddSpanOptions(CLI::App& command, SpanOptions& options) {
    options.start_option =
        command
            .add_option("--start", options.start,
                        "Use the samples from TIME on (seconds after the reference time, or UTC "
                        "YYYY-MM-DDTHH:MM:SS[.fff][Z])")
            ->option_text("TIME");
    options.end_option =
        command.add_option("--end", options.end, "Use the samples up to TIME")->option_text("TIME");
}

std::optional<RequestedSpan> ReadSpanOptions(const SpanOptions& options) {
    RequestedSpan span{ReadTime(options.start_option, options.start, "--start"),
                       ReadTime(options.end_option, options.end, "--end")};
    if (!span.start && !span.end) {
        return std::nullopt;
    }
    if (span.start && span.end && trace::IsBefore(*span.start, *span.end) == false) {
        throw CLI::ValidationError("--start " + options.start + " is not before --end " +
                                   options.end);
    }
    return span;
}

trace::LoadedTrace CutToSpan(const trace::LoadedTrace& trace,
                             const std::optional<RequestedSpan>& span) {
    if (!span) {
        return trace;
    }
    constexpr double kOpen = std::numeric_limits<double>::infinity();
    const double start =
        span->start ? trace::SecondsAfterReference(trace.info, *span->start) : -kOpen;
    const double end = span->end ? trace::SecondsAfterReference(trace.info, *span->end) : kOpen;
    if (!(start < end)) {
        throw UserError("The span's start falls at or after its end for this trace.");
    }
    return trace::SpanTrace(trace, trace::RequireSamplesBetween(trace, start, end));
}

}  // namespace tremorline::cli
