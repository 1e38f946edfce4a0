// SPDX-License-Identifier: MIT
#pragma once

#include <CLI/CLI.hpp>

namespace tremorline::cli {

// Adds "wav FILE... --rate R [--output-dir DIR] [--force]" and the run
// options.
void AddWavCommand(CLI::App& app);

}  // namespace tremorline::cli
