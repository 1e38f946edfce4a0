// SPDX-License-Identifier: MIT
#include "cli/trace_runner.h"

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fstream>
#include <iostream>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <sstream>
#include <thread>

#include "cli/batch.h"
#include "cli/file_list.h"
#include "cli/json_line.h"
#include "cli/output_claims.h"
#include "common/atomic_file.h"
#include "common/control_bytes.h"
#include "common/user_error.h"

namespace tremorline::cli {

const char* const kRunOptionsHelp =
    R"(Trace files are named as arguments, in lists read with --files-from PATH
(one name per line; with -0, ended by NUL bytes as 'find -print0' writes
them; '-' reads standard input), or both: the arguments first, then each list
in turn. Names are taken byte for byte; empty lines are skipped.

--jobs N works on N traces at once (1 by default); the files, the lines and
the exit status are exactly those of one at a time, in the order of the
files, and memory grows N times. --shard K/N takes only the K-th of every N
files of the whole list (those whose position p, counted from 0, has
p mod N = K-1), so that N processes given the same list, say the tasks of a
job array, do every file exactly once. The rule of one output per name holds
within a process; across shards it cannot see the others, but an existing
file is still never replaced unasked, so no output is lost.

--report PATH writes one JSON object per trace (per segment of a miniSEED
file), one per line, in the order of the files: "input" (the file),
"segment" (from 1, or null for a SAC file or a file that could not be read),
"output" (the path, or null), "status" ("written", "kept", "failed" or
"printed"), "message" and "seconds". Bytes of a name that are not UTF-8
appear as the characters \u0080 to \u00ff of the same number. The report
is written whole when the run ends; '-' writes it to standard output in
place of the "wrote" and "kept" lines.)";

void TraceLog::Add(Stream stream, std::string_view text) {
    if (!pieces_.empty() && pieces_.back().stream == stream) {
        pieces_.back().text.append(text);
    } else {
        pieces_.push_back({stream, std::string(text)});
    }
}

void AddRunOptions(CLI::App& command, RunOptions& options, const std::string& file_help) {
    command.add_option("FILE", options.files, file_help);
    command
        .add_option("--files-from", options.lists,
                    "Read trace file names from PATH, one per line ('-': standard input)")
        ->option_text("PATH")
        ->allow_extra_args(false);
    command.add_flag("-0,--null", options.null_separated,
                     "The lists' names end with NUL bytes, not line ends");
    command.add_option("-j,--jobs", options.jobs, "Work on N traces at once (default: 1)")
        ->option_text("N")
        ->check(CLI::Range(1u, 256u));
    command.add_option("--shard", options.shard, "Do only the K-th of every N files")
        ->option_text("K/N");
    command
        .add_option("--report", options.report,
                    "Write one JSON line per trace to PATH ('-': standard output)")
        ->option_text("PATH");
}

namespace {

using Clock = std::chrono::steady_clock;

const char* StatusName(TraceStatus status) {
    switch (status) {
        case TraceStatus::Written:
            return "written";
        case TraceStatus::Kept:
            return "kept";
        case TraceStatus::Failed:
            return "failed";
        case TraceStatus::Printed:
            return "printed";
    }
    return "failed";
}

// One trace's line in the report.
struct ReportEntry {
    std::size_t segment = 0;  // from 1; 0 for none
    std::filesystem::path output;
    TraceStatus status = TraceStatus::Failed;
    std::string message;
    double seconds = 0;
};

std::string ReportLine(const std::string& input, const ReportEntry& entry) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.6f", entry.seconds);
    return "{\"input\":" + JsonString(input) + ",\"segment\":" +
           (entry.segment == 0 ? std::string("null") : std::to_string(entry.segment)) +
           ",\"output\":" + (entry.output.empty() ? "null" : JsonString(entry.output.string())) +
           ",\"status\":\"" + StatusName(entry.status) +
           "\",\"message\":" + JsonString(entry.message) + ",\"seconds\":" + seconds + "}\n";
}

// What one trace file gave, kept until its turn.
struct FileResult {
    TraceLog log;
    std::vector<ReportEntry> entries;
    bool failed = false;
};

// Where the report goes: nowhere, standard output, or a file that appears
// whole when the run ends.
class ReportSink {
  public:
    explicit ReportSink(const std::string& path) {
        if (path.empty()) {
            return;
        }
        if (path == "-") {
            to_stdout_ = true;
            return;
        }
        try {
            file_.emplace(path);
        } catch (const std::exception& failure) {
            throw CLI::ValidationError("--report", FailureReason(failure));
        }
    }

    bool ToStdout() const { return to_stdout_; }

    void Add(const std::string& line) {
        if (to_stdout_) {
            std::cout << line << std::flush;
        } else if (file_ && !failed_) {
            Guard([&] {
                file_->Write(std::as_bytes(std::span<const char>(line.data(), line.size())));
            });
        }
    }

    // False when the report could not be written; its reason is on stderr.
    bool Finish() {
        if (file_ && !failed_) {
            Guard([&] { file_->Commit(); });
        }
        return !failed_;
    }

  private:
    template <typename Action>
    void Guard(const Action& action) {
        try {
            action();
        } catch (const std::exception& failure) {
            failed_ = true;
            std::cerr << "tremorline-cli: the report was not written: "
                      << OneLine(FailureReason(failure)) << '\n'
                      << std::flush;
        }
    }

    bool to_stdout_ = false;
    std::optional<AtomicFile> file_;
    bool failed_ = false;
};

std::vector<std::string> CollectFiles(const RunOptions& options) {
    std::vector<std::string> files = options.files;
    bool read_stdin = false;
    for (const std::string& list : options.lists) {
        std::vector<std::string> listed;
        try {
            if (list == "-") {
                if (read_stdin) {
                    continue;  // standard input is read once
                }
                read_stdin = true;
                listed = ReadFileList(std::cin, options.null_separated);
            } else {
                std::ifstream stream(list, std::ios::binary);
                if (!stream) {
                    throw UserError(std::strerror(errno));
                }
                listed = ReadFileList(stream, options.null_separated);
            }
        } catch (const UserError& failure) {
            throw CLI::ValidationError("--files-from " + list + ": " + failure.what());
        }
        files.insert(files.end(), std::make_move_iterator(listed.begin()),
                     std::make_move_iterator(listed.end()));
    }
    return files;
}

// The work on every trace file of a run, shared by its worker threads.
class Run {
  public:
    Run(const TraceCommand& command, std::vector<std::string> files, bool report_to_stdout,
        unsigned jobs)
        : command_(command),
          files_(std::move(files)),
          results_(files_.size()),
          done_(files_.size(), false),
          report_to_stdout_(report_to_stdout),
          ahead_(4 * static_cast<std::size_t>(jobs)) {}

    // Runs on each worker thread: takes the next file in order until none
    // is left.
    void Work() {
        for (;;) {
            std::size_t task = 0;
            {
                std::unique_lock lock(mutex_);
                if (next_ == files_.size()) {
                    return;
                }
                task = next_++;
                // Lines wait in memory until their turn: keep the work
                // close behind the output.
                changed_.wait(lock, [&] { return task < given_ + ahead_; });
            }
            FileResult result = DoFile(task);
            std::lock_guard lock(mutex_);
            results_[task] = std::move(result);
            done_[task] = true;
            changed_.notify_all();
        }
    }

    // Gives each file's lines and report entries in order, as soon as that
    // file and every one before it are done. Returns true when any failed.
    bool GiveInOrder(ReportSink& report) {
        bool any_failed = false;
        for (std::size_t task = 0; task < files_.size(); ++task) {
            FileResult result;
            {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [&] { return static_cast<bool>(done_[task]); });
                result = std::move(results_[task]);
                results_[task] = FileResult{};
            }
            for (const TraceLog::Piece& piece : result.log.Pieces()) {
                std::ostream& stream =
                    piece.stream == TraceLog::Stream::Out ? std::cout : std::cerr;
                stream << piece.text << std::flush;
            }
            for (const ReportEntry& entry : result.entries) {
                report.Add(ReportLine(files_[task], entry));
            }
            any_failed = any_failed || result.failed;
            std::lock_guard lock(mutex_);
            given_ = task + 1;
            changed_.notify_all();
        }
        return any_failed;
    }

  private:
    static double SecondsSince(Clock::time_point start) {
        return std::chrono::duration<double>(Clock::now() - start).count();
    }

    void Failed(FileResult& result, ReportEntry entry, const std::string& file,
                const std::exception& failure) {
        entry.status = TraceStatus::Failed;
        entry.message = OneLine(FailureReason(failure));
        result.log.Err(TerminalText(file) + ": " + entry.message + "\n");
        result.entries.push_back(std::move(entry));
        result.failed = true;
    }

    FileResult DoFile(std::size_t task) {
        const std::string& file = files_[task];
        FileResult result;
        Clock::time_point start = Clock::now();
        std::vector<trace::LoadedTrace> traces;
        try {
            std::ostringstream warnings;
            traces = LoadTraces(file, warnings);
            result.log.Err(warnings.str());
        } catch (const std::exception& failure) {
            claims_.Register(task, file, {});
            ReportEntry entry;
            entry.seconds = SecondsSince(start);
            Failed(result, std::move(entry), file, failure);
            return result;
        }

        // Each segment on its own: one that fails leaves the others to be done.
        const std::size_t count = traces.size();
        std::vector<std::filesystem::path> outputs(count);
        std::vector<std::exception_ptr> unnamed(count);
        for (std::size_t i = 0; i < count; ++i) {
            try {
                for (const TraceCommand::Step& step : command_.steps) {
                    traces[i] = step(std::move(traces[i]));
                }
                if (command_.output) {
                    outputs[i] = command_.output(traces[i]);
                }
            } catch (...) {
                unnamed[i] = std::current_exception();
            }
        }
        const std::vector<OutputClaims::Ticket> tickets = claims_.Register(task, file, outputs);

        for (std::size_t i = 0; i < count; ++i) {
            ReportEntry entry;
            entry.segment = traces[i].segment ? i + 1 : 0;
            entry.output = outputs[i];
            try {
                if (unnamed[i]) {
                    std::rethrow_exception(unnamed[i]);
                }
                if (tickets[i]) {
                    claims_.Await(tickets[i]);
                }
                entry.status = command_.make(traces[i], outputs[i], result.log);
                claims_.Finish(tickets[i], entry.status == TraceStatus::Written);
                entry.seconds = SecondsSince(start);
                Report(result, file, std::move(entry));
            } catch (const std::exception& failure) {
                claims_.Finish(tickets[i], false);
                entry.seconds = SecondsSince(start);
                Failed(result, std::move(entry), file, failure);
            }
            start = Clock::now();
        }
        return result;
    }

    void Report(FileResult& result, const std::string& file, ReportEntry entry) {
        switch (entry.status) {
            case TraceStatus::Written:
                entry.message = "wrote " + TerminalText(entry.output.string());
                break;
            case TraceStatus::Kept:
                entry.message = "kept " + TerminalText(entry.output.string()) +
                                " (it already holds data; --force replaces it)";
                break;
            case TraceStatus::Printed:
                entry.message = "printed";
                break;
            case TraceStatus::Failed:
                break;
        }
        if (!report_to_stdout_ && entry.status != TraceStatus::Printed) {
            result.log.Out(TerminalText(file) + ": " + entry.message + "\n");
        }
        result.entries.push_back(std::move(entry));
    }

    const TraceCommand& command_;
    const std::vector<std::string> files_;
    std::vector<FileResult> results_;
    std::vector<char> done_;
    const bool report_to_stdout_;
    const std::size_t ahead_;
    OutputClaims claims_;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t next_ = 0;   // the next file a worker takes
    std::size_t given_ = 0;  // files whose lines are out
};

}  // namespace

void RunTraces(const RunOptions& options, const TraceCommand& command) {
    std::optional<Shard> shard = Shard{};
    if (!options.shard.empty()) {
        shard = ReadShard(options.shard);
        if (!shard) {
            throw CLI::ValidationError("--shard \"" + options.shard +
                                       "\" is no shard: give K/N with 1 <= K <= N, such as 2/3");
        }
    }
    if (options.files.empty() && options.lists.empty()) {
        throw CLI::RequiredError("FILE");
    }
    if (command.prints && options.report == "-") {
        throw CLI::ValidationError(
            "--report -: the command prints on standard output; give a file for the report");
    }
    std::vector<std::string> files = ShardOf(CollectFiles(options), *shard);
    ReportSink report(options.report);

    Run run(command, std::move(files), report.ToStdout(), options.jobs);
    bool any_failed = false;
    {
        std::vector<std::jthread> workers;
        for (unsigned i = 0; i < options.jobs; ++i) {
            workers.emplace_back([&run] { run.Work(); });
        }
        std::exception_ptr setup_failure;
        if (command.on_main_thread) {
            try {
                command.on_main_thread();
            } catch (...) {
                setup_failure = std::current_exception();
            }
        }
        any_failed = run.GiveInOrder(report);
        if (setup_failure) {
            std::rethrow_exception(setup_failure);
        }
    }
    const bool reported = report.Finish();
    if (any_failed || !reported) {
        throw CLI::RuntimeError(kSomeFilesFailed);
    }
}

}  // namespace tremorline::cli
