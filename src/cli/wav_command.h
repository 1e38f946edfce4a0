// SPDX-License-Identifier: MIT
#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

#include "cli/run_outputs.h"
#include "cli/span_options.h"

namespace tremorline::cli {

// Writes the .wav file of the trace `file` into `output_dir` (the current
// folder when empty): the file the window's Save Sound writes after one Set
// Up Sound and one Play at `rate` (1 to the highest WAVE rate), under the
// trace's name with ".wav" for its last four characters. With `span`, the
// sound is that of the span's samples alone, levels included. Reports
// "FILE: wrote PATH" on `report`. Throws UserError when the trace gives no
// sound, another trace of this run wrote that name (`outputs`) or the file
// cannot be written, leaving any older file as it was.
void WriteWavForTrace(const std::string& file, std::int32_t rate,
                      const std::optional<RequestedSpan>& span,
                      const std::filesystem::path& output_dir, RunOutputs& outputs,
                      std::ostream& report);

// Adds "wav FILE... --rate R [--start TIME] [--end TIME] [--output-dir DIR]".
void AddWavCommand(CLI::App& app);

}  // namespace tremorline::cli
