// SPDX-License-Identifier: MIT
#pragma once

// --start TIME and --end TIME: the span of each trace a command works on,
// the same for every command that takes one.

#include <CLI/CLI.hpp>
#include <optional>
#include <string>

#include "trace/loaded_trace.h"
#include "trace/span.h"

namespace tremorline::cli {

// What --start and --end name; either may be left out (the trace's first or
// last sample).
struct RequestedSpan {
    std::optional<trace::SpanTime> start;
    std::optional<trace::SpanTime> end;
};

struct SpanOptions {
    std::string start;
    std::string end;
    CLI::Option* start_option = nullptr;
    CLI::Option* end_option = nullptr;
};

// The paragraph a command's --help adds about --start and --end.
extern const char* const kSpanExplanation;

// Adds --start TIME and --end TIME to `command`, read into `options`, which
// must outlive the parse.
void AddSpanOptions(CLI::App& command, SpanOptions& options);

// The span the options ask for, nothing when neither was given. Throws
// CLI::ValidationError, a usage error, for a TIME of neither form, or a
// start that is not before the end (where both are of one form).
std::optional<RequestedSpan> ReadSpanOptions(const SpanOptions& options);

// `trace` cut to `span` (SpanTrace), or `trace` itself without one. Throws
// UserError when the span holds no sample of it, saying where it lies, or
// when its start is not before its end for this trace.
trace::LoadedTrace CutToSpan(const trace::LoadedTrace& trace,
                             const std::optional<RequestedSpan>& span);

}  // namespace tremorline::cli
