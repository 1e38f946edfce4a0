// SPDX-License-Identifier: MIT
#include "cli/plot_command.h"

#include <charconv>
#include <future>
#include <memory>
#include <optional>

#include "cli/batch.h"
#include "cli/filter_options.h"
#include "cli/span_options.h"
#include "cli/trace_runner.h"
#include "common/control_bytes.h"
#include "common/output_name.h"
#include "common/user_error.h"
#include "plot/spectrogram_plot.h"
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

With --spectrogram, the picture (1600x800 by default) holds the
spectrogram under the waveform, on the same time axis: the power of each
frequency from 0 Hz at the panel's bottom to the Nyquist frequency at its
top, in dB, coloured from dark (the 5th percentile of the trace's powers)
to yellow (their maximum). Each window of SECONDS (about 2.56 s, 64 to 4096
samples, by default) loses its mean, is Hann-shaped and transformed; windows
overlap by F (0 to below 1, 0.75 by default). A trace with no spectrogram
(shorter than one window, DELTA not above 0, samples that are not numbers)
fails, and nothing is written for it.

One line on standard output per trace, "FILE: wrote PATH". A trace that
cannot be read, whose name is refused, or whose picture cannot be written, gets one line on
standard error, "FILE: reason"; the other files are still done. The exit
status is 0 when no trace failed, 1 otherwise.)";

bool IsUtf8Continuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The spectrogram settings the options ask for; a usage error when a value
// is out of range.
std::optional<dsp::SpectrogramSettings> SpectrogramChoice(bool wanted, bool window_given,
                                                          double window, double overlap) {
    if (const auto problem = window_given ? dsp::WindowSecondsProblem(window) : std::nullopt) {
        throw CLI::ValidationError("--window", *problem);
    }
    if (const auto problem = dsp::OverlapProblem(overlap)) {
        throw CLI::ValidationError("--overlap", *problem);
    }
    if (!wanted) {
        return std::nullopt;
    }
    dsp::SpectrogramSettings settings;
    if (window_given) {
        settings.window_seconds = window;
    }
    settings.overlap = overlap;
    return settings;
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
        FilterOptions filter;
        SpanOptions span;
        bool spectrogram = false;
        double window = 0;
        double overlap = dsp::kDefaultOverlap;
    };
    auto options = std::make_shared<Options>();
    CLI::App* command = app.add_subcommand("plot", kDescription);
    command->footer(std::string(kExplanation) + kSpanExplanation + "\n\n" +
                    kFilterOptionsExplanation + "\n\n" + kRunOptionsHelp);
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
    AddFilterOptions(*command, options->filter);
    command->add_flag("--spectrogram", options->spectrogram,
                      "Draw the spectrogram under the waveform");
    command
        ->add_option("--window", options->window,
                     "Spectrogram window in seconds (default: about 2.56)")
        ->option_text("SECONDS");
    command
        ->add_option("--overlap", options->overlap,
                     "Overlap of the spectrogram's windows, 0 to below 1 (default: 0.75)")
        ->option_text("F");
    command->callback([options, command] {
        const dsp::FilterRequest filter = ReadFilterOptions(options->filter, AudibleBand::NoRate);
        if (command->count("--spectrogram") != 0 && command->count("--size") == 0) {
            options->size = std::to_string(plot::kDefaultPlotWidth) + "x" +
                            std::to_string(plot::kDefaultSpectrogramPlotHeight);
        }
        const std::optional<QSize> size = ReadPlotSize(options->size);
        if (!size) {
            throw CLI::ValidationError(
                "--size", "\"" + options->size +
                              "\" is no plot size: give WIDTHxHEIGHT in pixels, such as "
                              "1600x500, each side 1 to " +
                              std::to_string(plot::kMaxPlotSide) + " and at most " +
                              std::to_string(plot::kMaxPlotPixels) + " pixels in all");
        }
        const std::optional<dsp::SpectrogramSettings> spectrogram =
            SpectrogramChoice(command->count("--spectrogram") != 0, command->count("--window") != 0,
                              options->window, options->overlap);
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
        draw.make = [gui_ready, format, size = *size, filter, spectrogram](
                        const trace::LoadedTrace& loaded, const std::filesystem::path& output,
                        TraceLog& log) {
            std::string filter_name;
            const trace::LoadedTrace trace =
                ApplyFilter(loaded, filter, std::nullopt, log, &filter_name);
            std::optional<trace::MinMaxSummary> summary = trace::BuildMinMaxSummary(*trace.samples);
            plot::PlotTrace view = plot::PlotTraceOf(trace, *summary);
            if (!filter_name.empty()) {
                view.title += "  (" + filter_name + ")";
            }
            gui_ready.get();
            if (spectrogram) {
                plot::WriteTraceWithSpectrogram(output, view, *trace.samples, *spectrogram, format,
                                                size);
            } else {
                plot::WriteTracePlot(output, view, format, size);
            }
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
