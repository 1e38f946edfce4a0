// SPDX-License-Identifier: MIT
#pragma once

#include <CLI/CLI.hpp>
#include <filesystem>
#include <ostream>
#include <string>

#include "cli/run_outputs.h"

namespace tremorline::cli {

// How "psn" treats an output file that already holds data.
enum class ExistingPsnFile { Keep, Replace };

// Writes the PSN Type 4 file of the trace `file` into `output_dir` (the
// current folder when empty), under the name the window gives it, and reports
// it on `report`: "FILE: wrote PATH", or "FILE: kept PATH ..." when the file
// exists with data and `existing` is Keep. Throws UserError on failure, with
// any old file left as it was, also when another trace of this run wrote
// that name (`outputs`).
void WritePsnForTrace(const std::string& file, const std::filesystem::path& output_dir,
                      ExistingPsnFile existing, RunOutputs& outputs, std::ostream& report);

// Adds "psn FILE... [--output-dir DIR] [--force]".
void AddPsnCommand(CLI::App& app);

}  // namespace tremorline::cli
