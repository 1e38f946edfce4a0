// SPDX-License-Identifier: MIT
#include "cli/batch.h"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <system_error>
#include <utility>

#include "common/control_bytes.h"
#include "common/user_error.h"
#include "trace/trace_loader.h"

namespace tremorline::cli {
std::string OneLine(std::string text) {
    for (char& c : text) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    return TerminalText(text);
}

void RequireOutputFolder(const std::string& folder) {
    if (folder.empty()) {
        return;
    }
    const auto problem = [&](const std::string& what) {
        throw CLI::ValidationError("--output-dir " + folder + ": " + what);
    };
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(folder, error);
    if (status.type() == std::filesystem::file_type::not_found) {
        problem("no such folder");
    }
    if (error) {
        problem(error.message());
    }
    if (status.type() != std::filesystem::file_type::directory) {
        problem("not a folder");
    }
    if (::access(folder.c_str(), W_OK | X_OK) != 0) {
        problem(std::string("cannot write there (") + std::strerror(errno) + ")");
    }
}

std::vector<trace::LoadedTrace> LoadTraces(const std::string& file, std::ostream& warnings) {
    std::optional<std::vector<trace::LoadedTrace>> loaded = trace::LoadTraceFile(file);
    if (!loaded) {
        throw UserError(std::string(trace::kUnknownDataType) + ": " +
                        trace::UnknownDataTypeReason(file) + ".");
    }
    for (const trace::LoadedTrace& trace : *loaded) {
        if (trace.segment) {
            for (const std::string& note : trace.segment->notes) {
                warnings << TerminalText(file) << ": " << OneLine(note) << '\n' << std::flush;
            }
        }
    }
    return std::move(*loaded);
}

}  // namespace tremorline::cli
