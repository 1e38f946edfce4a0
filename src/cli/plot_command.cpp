// SPDX-License-Identifier: MIT
#include "cli/plot_command.h"

#include <charconv>
#include <iostream>
#include <memory>
#include <vector>

#include "cli/batch.h"
#include "cli/run_outputs.h"
#include "cli/span_options.h"
#include "common/user_error.h"
#include "trace/minmax_summary.h"

namespace tremorline::cli {
namespace {

constexpr const char* kDescription = "Draw each trace as a PNG or SVG picture";

constexpr const char* kExplanation =
    R"(For each FILE in turn (each segment of a miniSEED file), draws the whole
trace as the window's Waveform view draws it (the min/max of every pixel column, the time and amplitude axes and
the header's markers) and writes it into DIR (the current folder by default)
as a PNG image or an SVG drawing, W pixels wide and H high (1600x500 by
default; each side 1 to 16000, at most 40000000 pixels in all). No display
is needed.

The file is named after the trace file with ".png" or ".svg" in place of
its last four characters: event.SAC gives event.png (a name of four
characters or fewer keeps them all). An existing file of that name is
replaced whole; a failure leaves it unchanged. No name is written twice in
one run: a trace whose name an earlier trace of the run has written is not
written, and gets "FILE: not written: PATH was already written from OTHER
in this run".

One line on standard output per trace, "FILE: wrote PATH". A trace that
cannot be read, or whose picture cannot be written, gets one line on
standard error, "FILE: reason"; the other files are still done. The exit
status is 0 when no trace failed, 1 otherwise.)";

bool IsUtf8Continuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

void WritePlotForTrace(const std::string& file, const std::optional<RequestedSpan>& span,
                       const std::filesystem::path& output_dir, plot::PlotFormat format, QSize size,
                       RunOutputs& outputs, std::ostream& report) {
    for (const trace::LoadedTrace& whole : LoadTraces(file, std::cerr)) {
        const trace::LoadedTrace trace = CutToSpan(whole, span);
        const std::filesystem::path output = output_dir / PlotFileName(trace.title, format);
        outputs.RequireUnwritten(output);
        std::optional<trace::MinMaxSummary> summary = trace::BuildMinMaxSummary(*trace.samples);
        plot::WriteTracePlot(output, plot::PlotTraceOf(trace, *summary), format, size);
        outputs.Written(output, file);
        report << file << ": wrote " << output.string() << '\n';
    }
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
    return std::string(trace_file_title.substr(0, end)) +
           (format == plot::PlotFormat::Png ? ".png" : ".svg");
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
        std::vector<std::string> files;
        std::string output_dir;
        std::string size = std::to_string(plot::kDefaultPlotWidth) + "x" +
                           std::to_string(plot::kDefaultPlotHeight);
        std::string format = "png";
        SpanOptions span;
    };
    auto options = std::make_shared<Options>();
    CLI::App* command = app.add_subcommand("plot", kDescription);
    command->footer(std::string(kExplanation) + kSpanExplanation);
    command->add_option("FILE", options->files, "SAC trace files (binary, either byte order)")
        ->required();
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
        const plot::PlotFormat format =
            options->format == "svg" ? plot::PlotFormat::Svg : plot::PlotFormat::Png;
        // Text is drawn with Qt's fonts, which need a QGuiApplication; the
        // offscreen one needs no display.
        const plot::OffscreenGuiApplication gui;
        RunOutputs outputs;
        RunBatch(options->files, [&](const std::string& file) {
            WritePlotForTrace(file, span, options->output_dir, format, *size, outputs, std::cout);
        });
    });
}

}  // namespace tremorline::cli
