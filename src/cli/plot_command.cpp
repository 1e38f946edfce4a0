// SPDX-License-Identifier: MIT
#include "cli/plot_command.h"

#include <charconv>
#include <future>
#include <memory>
#include <optional>

#include "cli/batch.h"
#include "cli/span_options.h"
#include "cli/trace_runner.h"
#include "common/control_bytes.h"
#include "common/output_name.h"
#include "common/user_error.h"
#include "trace/minmax_summary.h"

namespace tremorline::cli {
namespace {

constexpr const char* kDescription = "Draw each trace as a PNG or SVG picture";

constexpr const char* kExplanation =
    R"(For each FILE in turn (each segment of a miniSEED file), draws the whole
trace as the window's Waveform view draws it (the min/max of every pixel
column, the time and amplitude axes and the header's markers) and writes it into DIR (the current folder by default)
as a PNG image or an SVG drawing, W pixels wide and H high (1600x500 by
default; each side 1 to 16000, at most 40000000 pixels in all). No display
is needed.

The file is named after the trace file with ".png" or ".svg" in place of
its last four characters: event.SAC gives event.png (a name of four
characters or fewer keeps them all); each segment of a miniSEED file is
named as its converted SAC file would be. A name that would begin with a
dot loses its leading dots, so no plot is hidden; a name that would hold
"/" or a control character (from codes such as "/x" or an escape sequence)
is refused, and nothing is written outside DIR. An existing file of that name is
replaced whole; a failure leaves it unchanged. No name is written twice in
one run: a trace whose name an earlier trace of the run has written is not
written, and gets "FILE: not written: PATH was already written from OTHER
in this run".

One line on standard output per trace, "FILE: wrote PATH". A trace that
cannot be read, whose name is refused, or whose picture cannot be written, gets one line on
standard error, "FILE: reason"; the other files are still done. The exit
status is 0 when no trace failed, 1 otherwise.)";

bool IsUtf8Continuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

}  // namespace

std::string PlotFileName(std::string_view trace_file_title, plot::PlotFormat format) {
    constexpr std::size_t kExtensionLength = 4;
    std::size_t end = trace_file_title.size();
    for (std::size_t dropped = 0; dropped < kExtensionLength && end > 0; ++dropped) {
        --end;
        while (end > 0 && IsUtf8Continuation(trace_file_title[end])) {
            --end;
        }
    }
    if (end == 0) {
        end = trace_file_title.size();
    }
    return SafeOutputName(std::string(trace_file_title.substr(0, end)) +
                          (format == plot::PlotFormat::Png ? ".png" : ".svg"));
}

std::optional<QSize> ReadPlotSize(std::string_view text) {
    const std::size_t cross = text.find_first_of("xX");
    if (cross == std::string_view::npos) {
        return std::nullopt;
    }
    auto side = [](std::string_view digits) -> std::optional<int> {
        int value = 0;
        const char* end = digits.data() + digits.size();
        if (digits.empty() || digits.front() < '0' || digits.front() > '9') {
            return std::nullopt;  // no sign, no space
        }
        const auto [stop, error] = std::from_chars(digits.data(), end, value);
        if (error != std::errc{} || stop != end || value < 1 || value > plot::kMaxPlotSide) {
            return std::nullopt;
        }
        return value;
    };
    const std::optional<int> width = side(text.substr(0, cross));
    const std::optional<int> height = side(text.substr(cross + 1));
    if (!width || !height || static_cast<long long>(*width) * *height > plot::kMaxPlotPixels) {
        return std::nullopt;
    }
    return QSize(*width, *height);
}

void AddPlotCommand(CLI::App& app) {
    struct Options {
        RunOptions run;
        std::string output_dir;
        std::string size = std::to_string(plot::kDefaultPlotWidth) + "x" +
                           std::to_string(plot::kDefaultPlotHeight);
        std::string format = "png";
        SpanOptions span;
    };
    auto options = std::make_shared<Options>();
    CLI::App* command = app.add_subcommand("plot", kDescription);
    command->footer(std::string(kExplanation) + kSpanExplanation + "\n\n" + kRunOptionsHelp);
    AddRunOptions(*command, options->run,
                  "SAC (binary, either byte order) or miniSEED trace files");
    command
        ->add_option("--output-dir", options->output_dir,
                     "Folder for the pictures (default: the current folder)")
        ->option_text("DIR");
    command->add_option("--size", options->size, "Width and height in pixels (default: 1600x500)")
        ->option_text("WxH");
    command->add_option("--format", options->format, "png (the default) or svg")
        ->option_text("png|svg")
        ->check(CLI::IsMember({"png", "svg"}));
    AddSpanOptions(*command, options->span);
    command->callback([options] {
        const std::optional<QSize> size = ReadPlotSize(options->size);
        if (!size) {
            throw CLI::ValidationError(
                "--size", "\"" + options->size +
                              "\" is no plot size: give WIDTHxHEIGHT in pixels, such as "
                              "1600x500, each side 1 to " +
                              std::to_string(plot::kMaxPlotSide) + " and at most " +
                              std::to_string(plot::kMaxPlotPixels) + " pixels in all");
        }
        const std::optional<RequestedSpan> span = ReadSpanOptions(options->span);
        RequireOutputFolder(options->output_dir);
        const std::filesystem::path folder = options->output_dir;
        const plot::PlotFormat format =
            options->format == "svg" ? plot::PlotFormat::Svg : plot::PlotFormat::Png;

        // Text is drawn with Qt's fonts, which need a QGuiApplication (the
        // offscreen one needs no display). Starting it and its fonts takes
        // a good part of a plot's time, so the main thread does that while
        // the first traces are read, and the drawing waits for it.
        std::optional<plot::OffscreenGuiApplication> gui;
        std::promise<void> gui_started;
        std::shared_future<void> gui_ready = gui_started.get_future().share();
        TraceCommand draw;
        if (span) {
            draw.steps.push_back(
                [span](trace::LoadedTrace trace) { return CutToSpan(trace, span); });
        }
        draw.output = [folder, format](const trace::LoadedTrace& trace) {
            return folder / PlotFileName(trace.title, format);
        };
        draw.make = [gui_ready, format, size = *size](const trace::LoadedTrace& trace,
                                                      const std::filesystem::path& output,
                                                      TraceLog&) {
            std::optional<trace::MinMaxSummary> summary = trace::BuildMinMaxSummary(*trace.samples);
            gui_ready.get();
            plot::WriteTracePlot(output, plot::PlotTraceOf(trace, *summary), format, size);
            return TraceStatus::Written;
        };
        draw.on_main_thread = [&] {
            try {
                gui.emplace();
                plot::StartFonts();
                gui_started.set_value();
            } catch (...) {
                gui_started.set_exception(std::current_exception());
                throw;
            }
        };
        RunTraces(options->run, draw);
    });
}

}  // namespace tremorline::cli
