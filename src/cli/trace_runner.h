// SPDX-License-Identifier: MIT
#pragma once

// The batch tool's run over many traces. Every command gets its trace files
// the same way (arguments, --files-from lists, --shard), works on them one
// or several at once (--jobs), and reports each trace the same way (a line
// on stdout or stderr, and a JSON line with --report). What a command adds is
// a TraceCommand: how to name a trace's output and how to make it.
//
// A run with --jobs N gives exactly what the run with --jobs 1 gives: the
// same files, the same stdout and stderr, the same exit status. Each trace's
// lines are held until every earlier trace's lines are out, and the
// one-output-per-name rule is decided in the order of the files
// (OutputClaims).

#include <CLI/CLI.hpp>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "trace/loaded_trace.h"

namespace tremorline::cli {

// What became of one trace, as the report names it.
enum class TraceStatus { Written, Kept, Failed, Printed };

// The lines of one trace, held until its turn comes.
class TraceLog {
  public:
    enum class Stream { Out, Err };
    struct Piece {
        Stream stream;
        std::string text;
    };

    void Out(std::string_view text) { Add(Stream::Out, text); }
    void Err(std::string_view text) { Add(Stream::Err, text); }
    const std::vector<Piece>& Pieces() const { return pieces_; }

  private:
    void Add(Stream stream, std::string_view text);

    std::vector<Piece> pieces_;
};

// How one command works on a trace. The runner calls these on worker
// threads, several traces at once with --jobs: they must not share
// unguarded state between traces.
struct TraceCommand {
    // Turns a loaded trace into the one the command works on (a cut, a
    // filter, ...), each in turn. Throws UserError when it cannot.
    using Step = std::function<trace::LoadedTrace(trace::LoadedTrace)>;
    std::vector<Step> steps;

    // The path of the trace's output, from its header alone (no sample is
    // read); unset for a command that writes no file. Throws UserError when
    // the trace cannot be named.
    std::function<std::filesystem::path(const trace::LoadedTrace&)> output;

    // Makes the output, `output` being the path named above (empty for a
    // command without one), and says whether it was written or kept, or
    // printed; lines of its own go to `log`. Throws UserError on failure,
    // leaving any file at `output` as it was.
    std::function<TraceStatus(const trace::LoadedTrace&, const std::filesystem::path& output,
                              TraceLog& log)>
        make;

    // True for a command whose output is what it prints (summary): its
    // report cannot go to standard output.
    bool prints = false;

    // Run on the program's main thread as the work starts, beside it (plot
    // starts Qt's fonts there). `make` must wait for what it sets up.
    std::function<void()> on_main_thread;
};

// The options every command takes for choosing and reporting its traces.
struct RunOptions {
    std::vector<std::string> files;
    std::vector<std::string> lists;
    bool null_separated = false;
    unsigned jobs = 1;
    std::string shard;
    std::string report;
};

// Adds FILE..., --files-from, -0/--null, -j/--jobs, --shard and --report to
// `command`, `file_help` describing FILE.
void AddRunOptions(CLI::App& command, RunOptions& options, const std::string& file_help);

// What --help says of those options, for a command's explanation.
extern const char* const kRunOptionsHelp;

// Reads the lists and checks the options (usage errors are thrown as
// CLI::ValidationError before any trace is read), then works on each trace
// of the shard, --jobs at once. A trace that fails gets one line on
// standard error, "FILE: reason"; a written or kept one "FILE: wrote PATH"
// or "FILE: kept PATH (...)" on standard output (in the report only, with
// --report -). Throws CLI::RuntimeError(kSomeFilesFailed) when any trace
// failed or the report could not be written.
void RunTraces(const RunOptions& options, const TraceCommand& command);

}  // namespace tremorline::cli
