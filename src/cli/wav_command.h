// SPDX-License-Identifier: MIT
#pragma once

#include <CLI/CLI.hpp>

namespace tremorline::cli {

// Adds "wav FILE... --rate R [--filter FILTER] [--corners N] [--causal]
// [--start TIME] [--end TIME] [--output-dir DIR] [--force]" and the run
// options. With a span, the sound is that of the span's samples alone,
// levels included.
void AddWavCommand(CLI::App& app);

}  // namespace tremorline::cli
