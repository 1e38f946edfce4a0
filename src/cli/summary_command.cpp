// SPDX-License-Identifier: MIT
#include "cli/summary_command.h"

#include <unistd.h>

#include <memory>
#include <string>

#include "cli/trace_runner.h"
#include "trace/header_summary.h"
#include "trace/trace_loader.h"

namespace tremorline::cli {
namespace {

constexpr const char* kDescription = "Print the header summary of each trace file";

constexpr const char* kExplanation =
    R"(Writes to standard output, for each FILE in turn, exactly the summary that
the window shows for it, with this system's line ends:
  - the file name (without its folder);
  - ORIGIN: the reference time MM/DD/YYYY hh:mm:ss and its milliseconds;
  - EVENT: the event origin time, or "No event time available" when O is
    undefined (-12345);
  - the sample interval, begin, end, event offset, station and event
    position, component, its azimuth and incidence, sensor type, station
    name and network;
  - every header value (70 reals, 40 integers, 24 text slots) in groups of
    five under their SAC field names.
Header texts are written byte for byte, except that on a terminal their
control bytes other than CR, LF and TAB are shown as \x1b and the like, so an
escape sequence in a header cannot act on the terminal. Summaries follow one another, each
starting with its file name line.

A miniSEED file gives one summary per continuous segment: that of the SAC
file converting the segment would give, except that the first line is the
file name followed by the segment's source name, "test.mseed  IU.COLA.00.LHZ".

A file that cannot be read, is readable in neither byte order ("Unknown data
type") or whose reference or event time is not a valid date gets one line on
standard error, "FILE: reason", and prints nothing; the other files are still
done. The exit status is 0 when every file was summarised, 1 otherwise.
--report cannot be '-' here: the summaries are on standard output.)";

}  // namespace

void AddSummaryCommand(CLI::App& app) {
    auto options = std::make_shared<RunOptions>();
    CLI::App* command = app.add_subcommand("summary", kDescription);
    command->footer(std::string(kExplanation) + "\n\n" + kRunOptionsHelp);
    AddRunOptions(*command, *options, "SAC (binary, either byte order) or miniSEED trace files");
    command->callback([options] {
        const bool terminal = ::isatty(STDOUT_FILENO) == 1;
        TraceCommand summary;
        summary.prints = true;
        summary.make = [terminal](const trace::LoadedTrace& trace, const std::filesystem::path&,
                                  TraceLog& log) {
            const std::string text = trace::HeaderSummaryText(trace::SummaryTitle(trace),
                                                              trace.header, trace.info, "\n");
            log.Out(terminal ? trace::SummaryForTerminal(text) : text);
            return TraceStatus::Printed;
        };
        RunTraces(*options, summary);
    });
}

}  // namespace tremorline::cli
