// SPDX-License-Identifier: MIT
#pragma once

// A trace drawn into a file's bytes: PNG or SVG of a given size, showing the
// whole trace. The batch tool writes these; tests read them back.

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <QByteArray>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSize>

#include "plot/trace_plot.h"

namespace tremorline::plot {

enum class PlotFormat { Png, Svg };

// The size a plot gets when none is asked for.
inline constexpr int kDefaultPlotWidth = 1600;
inline constexpr int kDefaultPlotHeight = 500;
// With a spectrogram under the waveform.
inline constexpr int kDefaultSpectrogramPlotHeight = 800;

// The largest plot: a mistyped size must not ask for gigabytes of image.
// 16000 pixels a side, 40 million pixels (160 MB of image) in all.
inline constexpr int kMaxPlotSide = 16000;
inline constexpr long long kMaxPlotPixels = 40'000'000;

// Throws UserError when a side is not 1 to kMaxPlotSide pixels or the plot
// has more than kMaxPlotPixels.
void CheckPlotSize(QSize size);

// A drawing of `size` as the bytes of a PNG or SVG file; an SVG file is
// titled `title`. `draw` paints the whole area. Throws UserError when there
// is no memory for the image or it cannot be encoded.
QByteArray EncodePlot(PlotFormat format, QSize size, const std::string& title,
                      const std::function<void(QPainter&)>& draw);

// Plot bytes written to `path` through an AtomicFile: the file appears whole
// or not at all.
void WritePlotFile(const std::filesystem::path& path, const QByteArray& bytes);

// `view` of `trace` drawn on an image of `size`.
QImage RenderTraceImage(const PlotTrace& trace, QSize size, const trace::TraceView& view,
                        std::optional<std::size_t> cursor_sample = std::nullopt);

// The whole trace as the bytes of a PNG or SVG file of `size`. Throws
// UserError when a side is not 1 to kMaxPlotSide pixels, the plot has more
// than kMaxPlotPixels, or the image cannot be encoded; and what the sample
// source throws.
// With `view`, that stretch of the trace instead of all of it.
QByteArray RenderTracePlot(const PlotTrace& trace, PlotFormat format, QSize size,
                           std::optional<trace::TraceView> view = std::nullopt);

// RenderTracePlot written to `path` through an AtomicFile: the file appears
// whole or not at all.
void WriteTracePlot(const std::filesystem::path& path, const PlotTrace& trace, PlotFormat format,
                    QSize size, std::optional<trace::TraceView> view = std::nullopt);

// Loads the system's font list, the slow part of the first text a program
// draws, so that a program can have it done on its main thread while other
// threads read traces. Needs the QGuiApplication.
void StartFonts();

// Drawing text needs a QGuiApplication. A program without a window makes one
// with this: it runs on the offscreen platform, so no display is needed, and
// lives as long as this object. Where a QGuiApplication exists already, this
// makes none.
class OffscreenGuiApplication {
  public:
    OffscreenGuiApplication();
    ~OffscreenGuiApplication();
    OffscreenGuiApplication(const OffscreenGuiApplication&) = delete;
    OffscreenGuiApplication& operator=(const OffscreenGuiApplication&) = delete;

  private:
    // QGuiApplication keeps the arguments it was given for its whole life.
    char program_[16] = "tremorline";
    char platform_option_[16] = "-platform";
    char platform_[16] = "offscreen";
    char* argv_[4] = {program_, platform_option_, platform_, nullptr};
    int argc_ = 3;
    bool quieted_ = false;
    std::unique_ptr<QGuiApplication> application_;
};

}  // namespace tremorline::plot
