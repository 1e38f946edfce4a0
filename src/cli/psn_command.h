// SPDX-License-Identifier: MIT
#pragma once

#include <CLI/CLI.hpp>

namespace tremorline::cli {

// Adds "psn FILE... [--output-dir DIR] [--force]" and the run options.
void AddPsnCommand(CLI::App& app);

}  // namespace tremorline::cli
