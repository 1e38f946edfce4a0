// SPDX-License-Identifier: MIT
#include "cli/sac_command.h"

#include <memory>
#include <optional>
#include <string>

#include "cli/batch.h"
#include "cli/filter_options.h"
#include "cli/span_options.h"
#include "cli/trace_runner.h"
#include "dsp/sac_output.h"

namespace tremorline::cli {
namespace {

constexpr const char* kDescription = "Write each trace as a SAC binary file, filtered or not";

constexpr const char* kExplanation =
    R"(For each FILE in turn, writes each trace as a SAC binary file into DIR (the
current folder by default), so that a filtered trace can go on to any other
program. A SAC file keeps its name, byte order and header; only DEPMIN,
DEPMAX and DEPMEN are set from the samples written, 32-bit floats. Each
segment of a miniSEED file is written little-endian under the name of its
converted SAC file, IU.COLA.00.LHZ.M.2010.058.065000.SAC; without --filter
the file is exactly the converted file, so sac also converts miniSEED.
With --start or --end the file holds the span's samples, with B, E and NPTS
set for them (E = B + (NPTS - 1) * DELTA) and DEPMIN, DEPMAX and DEPMEN from
the samples written; a filter then runs over the span alone.

The trace file itself is never replaced: write into another folder with
--output-dir. An output file that already holds data is kept as it is and
reported as kept, unless --force is given, which replaces it. Each file is
written whole: it appears only when complete, and a failure leaves any older
file of that name unchanged. No name is written twice in one run.

)";

constexpr const char* kReporting =
    R"(

One line on standard output per trace: "FILE: wrote PATH" or "FILE: kept
PATH ...". A trace that cannot be read or filtered, or whose file cannot be
written, gets one line on standard error, "FILE: reason"; the other files
are still done. A bad FILTER or N, or a DIR that is missing or cannot be
written, is reported once, before any trace is read. The exit status is 0
when no trace failed (kept files included), 1 otherwise, and 2 for a usage
error.)";

}  // namespace

void AddSacCommand(CLI::App& app) {
    struct Options {
        RunOptions run;
        FilterOptions filter;
        SpanOptions span;
        std::string output_dir;
        bool force = false;
    };
    auto options = std::make_shared<Options>();
    CLI::App* command = app.add_subcommand("sac", kDescription);
    command->footer(std::string(kExplanation) + kFilterOptionsExplanation + kSpanExplanation +
                    kReporting + "\n\n" + kRunOptionsHelp);
    AddRunOptions(*command, options->run,
                  "SAC (binary, either byte order) or miniSEED trace files");
    AddFilterOptions(*command, options->filter);
    AddSpanOptions(*command, options->span);
    command
        ->add_option("--output-dir", options->output_dir,
                     "Folder for the SAC files (default: the current folder)")
        ->option_text("DIR");
    command->add_flag("--force", options->force, "Replace output files that already hold data");
    command->callback([options] {
        // The audible band follows a sound's rate, which a SAC file has not.
        const dsp::FilterRequest filter = ReadFilterOptions(options->filter, AudibleBand::NoRate);
        const std::optional<RequestedSpan> span = ReadSpanOptions(options->span);
        RequireOutputFolder(options->output_dir);
        const dsp::ExistingOutput existing =
            options->force ? dsp::ExistingOutput::Replace : dsp::ExistingOutput::Keep;
        const std::filesystem::path folder = options->output_dir;
        TraceCommand sac;
        if (span) {
            sac.steps.push_back(
                [span](trace::LoadedTrace trace) { return CutToSpan(trace, span); });
        }
        sac.output = [folder](const trace::LoadedTrace& trace) {
            return folder / dsp::SacFileName(trace.title);
        };
        sac.make = [filter, folder, existing](const trace::LoadedTrace& trace,
                                              const std::filesystem::path&, TraceLog& log) {
            const std::optional<dsp::TraceFilter> fixed =
                FixFilterOption(trace, filter, std::nullopt, log);
            const dsp::SacOutcome outcome =
                dsp::WriteSacOutput(trace, fixed, folder, existing, {}, Progress{});
            return outcome.written ? TraceStatus::Written : TraceStatus::Kept;
        };
        RunTraces(options->run, sac);
    });
}

}  // namespace tremorline::cli
