// SPDX-License-Identifier: MIT
#pragma once

// The filter options shared by the commands that write what a trace holds
// (sac, wav, plot): --filter FILTER, --corners N and --causal. They are added
// and checked here once, so that every command reads and refuses them alike.

#include <CLI/CLI.hpp>
#include <optional>
#include <string>

#include "cli/trace_runner.h"
#include "dsp/filter_text.h"
#include "trace/loaded_trace.h"

namespace tremorline::cli {

struct FilterOptions {
    std::string text;  // empty: no --filter
    std::string corners;
    bool causal = false;
};

// Whether the command can give the audible band the rate it needs.
enum class AudibleBand { HasRate, NoRate };

// Adds --filter, --corners and --causal to `command`, stored in `options`.
void AddFilterOptions(CLI::App& command, FilterOptions& options);

// The filter the options ask for (kind None without --filter). Throws
// CLI::ValidationError, a usage error naming the option, for a FILTER that is
// no filter, corners outside 1 to 10, --corners or --causal without
// --filter, or the audible band where there is no rate.
dsp::FilterRequest ReadFilterOptions(const FilterOptions& options, AudibleBand audible);

// The request fixed for the trace; nothing for kind None. A change made to
// fit the trace (a band turned into a high-pass) is said on `log`'s standard
// error as "FILE: note". Throws UserError when the trace cannot be filtered.
std::optional<dsp::TraceFilter> FixFilterOption(const trace::LoadedTrace& trace,
                                                const dsp::FilterRequest& request,
                                                std::optional<double> play_rate, TraceLog& log);

// The trace to work on: `trace` itself when `request` is None, otherwise
// the trace filtered, with its note said as FixFilterOption says it.
// `description`, when given, is set to the filter's description ("band-pass
// 1-10 Hz, 4 corners, zero phase"), or emptied for None.
trace::LoadedTrace ApplyFilter(const trace::LoadedTrace& trace, const dsp::FilterRequest& request,
                               std::optional<double> play_rate, TraceLog& log,
                               std::string* description = nullptr);

// What the options do, for a command's --help.
inline constexpr const char* kFilterOptionsExplanation =
    R"(With --filter FILTER each trace is first filtered: the mean is taken off, then
a Butterworth filter runs over the samples in double precision, and again
over the reversed result (zero phase) unless --causal is given. FILTER is
bandpass:FMIN:FMAX, highpass:F or lowpass:F (corners in Hz), none, or a
preset: audible (20 Hz to 20 kHz once sped up to the sound's rate, for wav),
local (1-10 Hz), teleseismic-p (0.7-2 Hz), surface-waves (0.01-0.1 Hz),
microseism-cut (high-pass 1 Hz). --corners N (1 to 10, default 4) is the
order per corner: a band-pass of 4 corners has 8 poles. A band whose upper
corner is at or above the trace's Nyquist frequency becomes a high-pass at
its lower corner, and says so on standard error. A trace with a low-pass or
lower corner at or above its Nyquist frequency, a DELTA that is not a
positive number or samples that are not finite numbers fails on its own, and
nothing is written for it.)";

}  // namespace tremorline::cli
