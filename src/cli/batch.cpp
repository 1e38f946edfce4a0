#include "cli/batch.h"

#include <CLI/CLI.hpp>
#include <exception>
#include <iostream>
#include <optional>
#include <utility>

#include "common/user_error.h"
#include "trace/trace_loader.h"

namespace tremorline::cli {
namespace {

// One reason, one line: a line end inside a message would split the report.
std::string OneLine(std::string text) {
    for (char& c : text) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    return text;
}

}  // namespace

int RunForEachFile(const std::vector<std::string>& files, const FileAction& action,
                   std::ostream& errors) {
    int status = 0;
    for (const std::string& file : files) {
        try {
            action(file);
        } catch (const std::exception& failure) {
            errors << file << ": " << OneLine(failure.what()) << '\n' << std::flush;
            status = kSomeFilesFailed;
        }
    }
    return status;
}

void RunBatch(const std::vector<std::string>& files, const FileAction& action) {
    const int status = RunForEachFile(files, action, std::cerr);
    if (status != 0) {
        throw CLI::RuntimeError(status);
    }
}

std::vector<trace::LoadedTrace> LoadTraces(const std::string& file, std::ostream& warnings) {
    std::optional<std::vector<trace::LoadedTrace>> loaded = trace::LoadTraceFile(file);
    if (!loaded) {
        throw UserError(trace::kUnknownDataType);
    }
    for (const trace::LoadedTrace& trace : *loaded) {
        if (trace.segment) {
            for (const std::string& note : trace.segment->notes) {
                warnings << file << ": " << OneLine(note) << '\n' << std::flush;
            }
        }
    }
    return std::move(*loaded);
}

}  // namespace tremorline::cli
