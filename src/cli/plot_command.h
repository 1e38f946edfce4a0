// SPDX-License-Identifier: MIT
#pragma once

#include <CLI/CLI.hpp>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include <QSize>

#include "plot/plot_output.h"

namespace tremorline::cli {

// The name of the plot of a trace file: its name less its last four
// characters (the extension, as the .wav file of the trace loses them), then
// ".png" or ".svg": event.SAC gives event.png. A name of four characters or
// fewer keeps them all (abc gives abc.png), so that no plot is named by its
// extension alone. Characters are counted in UTF-8.
std::string PlotFileName(std::string_view trace_file_title, plot::PlotFormat format);

// "WxH" (1600x500) as a size; nothing unless both are whole numbers from 1
// to kMaxPlotSide and the plot holds at most kMaxPlotPixels.
std::optional<QSize> ReadPlotSize(std::string_view text);

// Adds "plot FILE... [--output-dir DIR] [--size WxH] [--format png|svg]".
void AddPlotCommand(CLI::App& app);

}  // namespace tremorline::cli
