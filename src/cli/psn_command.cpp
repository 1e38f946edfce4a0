// SPDX-License-Identifier: MIT
#include "cli/psn_command.h"

#include <memory>
#include <string>

#include "cli/batch.h"
#include "cli/trace_runner.h"
#include "common/control_bytes.h"
#include "psn/make_psn.h"
#include "psn/psn_builders.h"
#include "psn/psn_file.h"

namespace tremorline::cli {
namespace {

constexpr const char* kDescription = "Write each trace as a PSN Type 4 event file";

constexpr const char* kExplanation =
    R"(For each FILE in turn (each segment of a miniSEED file), writes the PSN
Type 4 file that the window's Make PSN writes for it, byte for byte, into DIR
(the current folder by default), reading the samples a block at a time. Its
name is formed from the reference time, the station and the component letter:
YYMMDD.hhmmss.STATIONLETTER.psn, for example 050203.040506.ABCZ.psn.

Nothing is asked. An output file that already holds data is kept as it is and
reported as kept, unless --force is given, which replaces it. Each file is
written whole: it appears only when complete, and a failure leaves any older
file of that name unchanged. No name is written twice in one run: a trace
whose name an earlier trace of the run has written is not written, and gets
"FILE: not written: PATH was already written from OTHER in this run".

One line on standard output per trace: "FILE: wrote PATH" or "FILE: kept
PATH ...", also when another run writes the same name at the same time: of
two runs without --force only one writes, so that shards of one list run at
once never lose a file either. A trace that cannot be read, is readable
in neither byte order, has header values that cannot be written (a blank
component name KCMPNM, NZMSEC outside -2147 to 2147, a DELTA that is not a
positive number, a magnitude too large, a station name that would put "/"
or a control character into the file name), whose name was already written in this run or whose file
cannot be written gets one line on standard error, "FILE: reason"; the other
files are still done. A DIR that is missing or cannot be written is reported
once, before any trace is read. The exit status is 0 when no trace failed (kept
files included), 1 otherwise, and 2 for a usage error.)";

}  // namespace

void AddPsnCommand(CLI::App& app) {
    struct Options {
        RunOptions run;
        std::string output_dir;
        bool force = false;
    };
    auto options = std::make_shared<Options>();
    CLI::App* command = app.add_subcommand("psn", kDescription);
    command->footer(std::string(kExplanation) + "\n\n" + kRunOptionsHelp);
    AddRunOptions(*command, options->run,
                  "SAC (binary, either byte order) or miniSEED trace files");
    command
        ->add_option("--output-dir", options->output_dir,
                     "Folder for the PSN files (default: the current folder)")
        ->option_text("DIR");
    command->add_flag("--force", options->force, "Replace output files that already hold data");
    command->callback([options] {
        RequireOutputFolder(options->output_dir);
        const std::filesystem::path folder = options->output_dir;
        const bool force = options->force;
        TraceCommand psn;
        psn.output = [folder](const trace::LoadedTrace& trace) {
            const psn::PSNRecords records = psn::BuildPSNRecords(trace.info);
            return folder / psn::PsnFileName(trace.info, records.Header.ComponentLetter);
        };
        psn.make = [folder, force](const trace::LoadedTrace& trace, const std::filesystem::path&,
                                   TraceLog&) {
            const psn::PsnOutcome outcome =
                psn::MakePsnFile(trace, folder, [force](const std::string&) { return force; });
            return outcome.written ? TraceStatus::Written : TraceStatus::Kept;
        };
        RunTraces(options->run, psn);
    });
}

}  // namespace tremorline::cli
