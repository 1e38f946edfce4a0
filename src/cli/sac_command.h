// SPDX-License-Identifier: MIT
#pragma once

#include <CLI/CLI.hpp>

namespace tremorline::cli {

// Adds "sac FILE... [--filter FILTER] [--corners N] [--causal] [--output-dir
// DIR] [--force]" and the run options.
void AddSacCommand(CLI::App& app);

}  // namespace tremorline::cli
