// tremorline-cli: the batch tool. Each command works on SAC trace files
// named on the command line, using the same core as the window.

#include <CLI/CLI.hpp>
#include <iostream>

#include "cli/batch.h"
#include "cli/plot_command.h"
#include "cli/psn_command.h"
#include "cli/summary_command.h"
#include "cli/wav_command.h"

namespace {

constexpr const char* kDescription =
    "tremorline-cli: reads seismic traces stored as SAC binary files, in either\n"
    "byte order, and writes what the Tremorline window would show or save for them.";

constexpr const char* kExplanation =
    R"(Give a command and one or more trace files. Each file is done on its own: a
file that fails gets one line on standard error naming it and the reason, the
other files are still done, and the exit status is 1 when any file failed.
Run 'tremorline-cli COMMAND --help' for what a command writes.)";

// Output that could not be written is a failure, not a success.
int CheckStandardOutput(int status) {
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "tremorline-cli: cannot write to standard output\n";
        return tremorline::cli::kSomeFilesFailed;
    }
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app(kDescription, "tremorline-cli");
    app.require_subcommand(1);
    app.footer(kExplanation);

    // ---- Commands: one line each ----
    tremorline::cli::AddSummaryCommand(app);
    tremorline::cli::AddPsnCommand(app);
    tremorline::cli::AddWavCommand(app);
    tremorline::cli::AddPlotCommand(app);
    // ---- end of commands ----

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return CheckStandardOutput(app.exit(e));
    }
    return CheckStandardOutput(0);
}
