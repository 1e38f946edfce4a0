// SPDX-License-Identifier: MIT
#include "cli/wav_command.h"

#include <memory>
#include <optional>
#include <string>

#include "cli/batch.h"
#include "cli/filter_options.h"
#include "cli/span_options.h"
#include "cli/trace_runner.h"
#include "common/atomic_file.h"
#include "common/control_bytes.h"
#include "dsp/filtered_trace.h"
#include "sound/make_sound.h"
#include "sound/play_rate.h"
#include "sound/sound_file.h"
#include "sound/wave_image.h"

namespace tremorline::cli {
namespace {

constexpr const char* kDescription = "Write each trace as a 16-bit mono WAVE file";

constexpr const char* kExplanation =
    R"(For each FILE in turn (each segment of a miniSEED file), writes the WAVE
file that the window's Save Sound writes for it after one Set Up Sound and
one Play Sound at rate R, byte for byte, into DIR (the current folder by
default). Nothing is played. The samples are read twice, a block at a time:
once for their levels, once to scale and write them, so that a trace of any
length needs only a few megabytes.

The samples are centred on their mean and scaled so that the largest
deviation becomes +-32760. The file is named after the trace file with
".wav" in place of its last four characters: event.SAC gives event.wav;
each segment of a miniSEED file is named as its converted SAC file would
be, IU.COLA.00.LHZ.M.2010.058.065000.wav. A name that would begin with a
dot loses its leading dots (a blank network code gives COLA.00.LHZ...wav,
not a hidden .COLA...); a name that would hold "/" or a control character
(codes such as "/x" or an escape sequence) is refused, and nothing is
written outside DIR. An output file that already holds
data is kept as it is and reported as kept, unless --force is given, which
replaces it; of two runs without --force writing one name at once, only one
writes. Each file is written whole: a failure leaves any older file of that
name unchanged. No name is written twice in one run: of ANMO.BHZ, ANMO.BHN
and ANMO.BHE only the first is written as ANMO.wav, and the others get
"FILE: not written: PATH was already written from OTHER in this run".

R is a whole number of samples per second (a decimal number is rounded, half
to even), 1 to 1073741823. One line on standard output per trace, "FILE:
wrote PATH" or "FILE: kept PATH ...". A trace that cannot be read, whose name is refused, does not vary (all samples equal,
or only one), holds samples that are not finite, is too long for a WAVE
file, or whose name was already written in this run, gets one line on
standard error, "FILE: reason"; the other files are still done. A bad R, or
a DIR that is missing or cannot be written, is reported once, before any
trace is read. The exit status is 0 when no trace failed (kept files
included), 1 otherwise, and 2 for a usage error.)";

// What is wrong with the value of --rate, in the option's terms.
std::string RateOptionProblem(const sound::PlayRateReading& reading, const std::string& text) {
    std::string problem;
    switch (reading.kind) {
        case sound::PlayRateKind::Zero:
            problem = "is no rate";
            break;
        case sound::PlayRateKind::Negative:
            problem = "is negative";
            break;
        case sound::PlayRateKind::TooLarge:
            problem = "is too large";
            break;
        case sound::PlayRateKind::NotANumber:
        case sound::PlayRateKind::Rate:
            problem = "is not a number";
            break;
    }
    return "--rate \"" + text + "\" " + problem +
           ": give a whole number of samples per second from 1 to " +
           std::to_string(sound::kMaxPlayRate) + ", such as 8000";
}

}  // namespace

void AddWavCommand(CLI::App& app) {
    struct Options {
        RunOptions run;
        std::string rate;
        std::string output_dir;
        bool force = false;
        FilterOptions filter;
        SpanOptions span;
    };
    auto options = std::make_shared<Options>();
    CLI::App* command = app.add_subcommand("wav", kDescription);
    command->footer(std::string(kExplanation) + kSpanExplanation + "\n\n" +
                    kFilterOptionsExplanation + "\n\n" + kRunOptionsHelp);
    AddRunOptions(*command, options->run,
                  "SAC (binary, either byte order) or miniSEED trace files");
    command->add_option("--rate", options->rate, "Sample rate of the sound, samples per second")
        ->option_text("R")
        ->required();
    command
        ->add_option("--output-dir", options->output_dir,
                     "Folder for the WAVE files (default: the current folder)")
        ->option_text("DIR");
    command->add_flag("--force", options->force, "Replace output files that already hold data");
    AddFilterOptions(*command, options->filter);
    AddSpanOptions(*command, options->span);
    command->callback([options] {
        const dsp::FilterRequest filter = ReadFilterOptions(options->filter, AudibleBand::HasRate);
        const sound::PlayRateReading reading = sound::ReadPlayRate(options->rate);
        if (reading.kind != sound::PlayRateKind::Rate) {
            throw CLI::ValidationError(RateOptionProblem(reading, options->rate));
        }
        const std::optional<RequestedSpan> span = ReadSpanOptions(options->span);
        RequireOutputFolder(options->output_dir);
        const std::filesystem::path folder = options->output_dir;
        const std::int32_t rate = reading.rate;
        const bool force = options->force;
        TraceCommand wav;
        if (span) {
            wav.steps.push_back(
                [span](trace::LoadedTrace trace) { return CutToSpan(trace, span); });
        }
        wav.output = [folder](const trace::LoadedTrace& trace) {
            return folder / sound::WaveFileName(trace.title);
        };
        wav.make = [folder, rate, force, filter](const trace::LoadedTrace& trace,
                                                 const std::filesystem::path& path, TraceLog& log) {
            // A filter the trace cannot take fails it; a file that will be
            // kept is known before any time goes into filtering.
            const std::optional<dsp::TraceFilter> fixed = FixFilterOption(trace, filter, rate, log);
            if (fixed && !force && HoldsData(path)) {
                return TraceStatus::Kept;
            }
            // The filtered samples are written by the same two passes, so the
            // file is the one those samples would give unfiltered. A one-pass
            // filter is worked out afresh for each pass and needs no memory
            // for the trace; a zero-phase one holds the filtered trace.
            const trace::LoadedTrace sounded =
                fixed ? dsp::FilteredForReading(trace, *fixed, Progress{}) : trace;
            const sound::SoundFileOutcome outcome =
                sound::WriteTraceSoundFile(sounded, rate, folder, [force] { return force; });
            return outcome.written ? TraceStatus::Written : TraceStatus::Kept;
        };
        RunTraces(options->run, wav);
    });
}

}  // namespace tremorline::cli
