// SPDX-License-Identifier: MIT
#pragma once

#include <CLI/CLI.hpp>

namespace tremorline::cli {

// Adds "summary FILE...": prints each trace's header summary on stdout.
void AddSummaryCommand(CLI::App& app);

}  // namespace tremorline::cli
