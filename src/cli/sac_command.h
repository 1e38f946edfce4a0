// SPDX-License-Identifier: MIT
#pragma once

#include <CLI/CLI.hpp>
#include <filesystem>
#include <ostream>
#include <string>

#include "cli/run_outputs.h"
#include "dsp/filter_spec.h"
#include "dsp/sac_output.h"

namespace tremorline::cli {

// Writes each trace of `file` as a SAC file into `output_dir`, filtered by
// `filter` (none: as recorded). Reports "FILE: wrote PATH" or "FILE: kept
// PATH ..." on `report`. Throws UserError when a trace cannot be read,
// filtered or written, or another trace of this run wrote its name.
void WriteSacForTrace(const std::string& file, const dsp::FilterRequest& filter,
                      const std::filesystem::path& output_dir, dsp::ExistingOutput existing,
                      RunOutputs& outputs, std::ostream& report);

// Adds "sac FILE... [--filter SPEC] [--corners N] [--causal] [--output-dir
// DIR] [--force]".
void AddSacCommand(CLI::App& app);

}  // namespace tremorline::cli
