// SPDX-License-Identifier: MIT
// tremorline-cli: the batch tool. Each command works on SAC or miniSEED trace
// files named on the command line or in lists, using the same core as the
// window.

#include <CLI/CLI.hpp>
#include <iostream>
#include <string>
#include <vector>

#include "cli/batch.h"
#include "cli/plot_command.h"
#include "cli/psn_command.h"
#include "cli/summary_command.h"
#include "cli/wav_command.h"
#include "common/atomic_file.h"

namespace {

constexpr const char* kProgram = "tremorline-cli";

constexpr const char* kDescription =
    "tremorline-cli: reads seismic traces stored as SAC binary files (in either\n"
    "byte order) or miniSEED files, and writes what the Tremorline window would\n"
    "show or save for them.";

constexpr const char* kExplanation =
    R"(Give a command and one or more trace files, as arguments or in lists
(--files-from). Each trace (each segment of a miniSEED file) is done on its
own: one that fails gets one line on standard error naming its file and the
reason, the others are still done, and the exit status is 1 when any failed.
Every command can work on several traces at once (--jobs), take one shard of
a list (--shard) and write a JSON report (--report).
A usage error (an unknown command or option, no file, a bad option value, an
output folder that is missing or cannot be written) is reported before any
file is read, and the exit status is 2.
Run 'tremorline-cli COMMAND --help' for what a command writes.)";

// Output that could not be written is a failure, not a success.
int CheckStandardOutput(int status) {
    std::cout.flush();
    if (!std::cout) {
        std::cerr << kProgram << ": cannot write to standard output\n";
        return tremorline::cli::kSomeFilesFailed;
    }
    return status;
}

// The names of the commands, for a message: "summary, psn or wav".
std::string CommandNames(const CLI::App& app) {
    const std::vector<const CLI::App*> commands = app.get_subcommands({});
    std::string names;
    for (std::size_t i = 0; i < commands.size(); ++i) {
        names += (i == 0 ? "" : i + 1 == commands.size() ? " or " : ", ") + commands[i]->get_name();
    }
    return names;
}

bool Is(const CLI::Error& error, CLI::ExitCodes code) {
    return error.get_exit_code() == static_cast<int>(code);
}

// Reports a usage error on stderr in the tool's own words, with where to read
// the usage, and gives its exit status.
int ReportUsageError(const CLI::App& app, const CLI::ParseError& error) {
    std::string problem = error.what();
    std::string help = kProgram;
    const std::vector<CLI::App*> chosen = app.get_subcommands();
    if (chosen.empty()) {
        const std::vector<std::string> rest = app.remaining();
        if (rest.empty()) {
            problem = "no command given; the commands are " + CommandNames(app);
        } else if (rest.front().starts_with('-')) {
            problem = "unknown option " + rest.front();
        } else {
            problem =
                "unknown command '" + rest.front() + "'; the commands are " + CommandNames(app);
        }
    } else {
        const CLI::App& command = *chosen.front();
        // An unknown word is the command's when it follows the command name,
        // the tool's when it comes before.
        std::vector<std::string> rest = command.remaining();
        const bool before_command = rest.empty() && !app.remaining().empty();
        if (before_command) {
            rest = app.remaining();
        }
        if (Is(error, CLI::ExitCodes::ExtrasError) && !rest.empty()) {
            problem = (rest.front().starts_with('-') ? "unknown option " : "unexpected argument ") +
                      rest.front();
        } else if (Is(error, CLI::ExitCodes::RequiredError) && problem == "FILE is required") {
            problem = "no trace file given";
        }
        if (!before_command) {
            help += " " + command.get_name();
            problem = command.get_name() + ": " + problem;
        }
    }
    std::cerr << kProgram << ": " << problem << "\nRun '" << help << " --help' for its usage.\n";
    return tremorline::cli::kUsageError;
}

}  // namespace

int main(int argc, char** argv) {
    tremorline::IgnoreFileSizeSignal();
    CLI::App app(kDescription, kProgram);
    app.set_version_flag("--version", std::string(kProgram) + " " + TREMORLINE_VERSION,
                         "Show the version and exit");
    app.require_subcommand(1);
    app.footer(kExplanation);

    tremorline::cli::AddSummaryCommand(app);
    tremorline::cli::AddPsnCommand(app);
    tremorline::cli::AddWavCommand(app);
    tremorline::cli::AddPlotCommand(app);

    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& answer) {  // --help, --version
        return CheckStandardOutput(app.exit(answer));
    } catch (const CLI::RuntimeError& failed) {  // files failed; each was reported
        return CheckStandardOutput(failed.get_exit_code());
    } catch (const CLI::ParseError& error) {
        return CheckStandardOutput(ReportUsageError(app, error));
    }
    return CheckStandardOutput(0);
}
