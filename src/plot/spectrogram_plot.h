// SPDX-License-Identifier: MIT
#pragma once

// The spectrogram panel, drawn under the waveform on the same time axis: the
// power of each frequency in the viridis colours (dark for low, yellow for
// high), 0 Hz at the panel's bottom and the Nyquist frequency at its top,
// the frequency ticks on the left, a colour bar in dB on the right and the
// play cursor across it. The window and the batch tool draw it alike.
//
// A drawing with a spectrogram gives its waveform kColourBarStrip fewer
// pixels of width than the whole, so that the waveform's samples and the
// panel's columns stand at the same x, with the colour bar beside the panel.

#include <cstddef>
#include <filesystem>
#include <optional>

#include <QByteArray>
#include <QPainter>
#include <QRect>
#include <QSize>
#include <QString>

#include "common/sample_source.h"
#include "dsp/spectrogram.h"
#include "plot/plot_output.h"
#include "plot/trace_plot.h"

namespace tremorline::plot {

// The strip beside the panel that holds the colour bar.
inline constexpr int kColourBarStrip = 64;

// The size the waveform is drawn at in a drawing of `size` (the waveform's
// part of it) that has a spectrogram panel: kColourBarStrip narrower.
QSize WaveformSizeBesideSpectrogram(QSize size);

// The rectangle the spectrogram's colours fill, within a panel of `size`:
// the waveform's PlotArea for the same width, so the two share their x.
QRect SpectrogramArea(QSize size);

// The height of the panel in a picture `height` pixels high: its lower half.
int SpectrogramPanelHeight(int height);

// The viridis colour of `fraction` (0 dark blue-violet, 1 yellow); fractions
// beyond 0 to 1 are held at the ends.
QRgb ViridisColour(double fraction);

// What the panel shows of a built spectrogram.
struct SpectrogramPanel {
    const dsp::Spectrogram& spectrogram;
    const SampleSource& samples;  // the samples it was built from
    dsp::DbLimits limits;         // the dB range the colours span
};

// The dB picture DrawSpectrogram draws for `view` on a panel of `size`. A
// window keeps it while the view and size stay, so that a moving cursor
// redraws without computing it again.
dsp::SpectrogramPicture SpectrogramPictureFor(QSize size, const SpectrogramPanel& panel,
                                              const trace::TraceView& view);

// Draws the panel of `size` with its top left corner at the painter's
// origin: background, heading, colours of `view`, frequency and time axes,
// colour bar and, with `cursor_sample`, the play cursor. `trace` gives the
// times for the time axis.
void DrawSpectrogram(QPainter& painter, QSize size, const PlotTrace& trace,
                     const SpectrogramPanel& panel, const trace::TraceView& view,
                     std::optional<std::size_t> cursor_sample = std::nullopt);

// DrawSpectrogram with a picture from SpectrogramPictureFor for the same size
// and view.
void DrawSpectrogram(QPainter& painter, QSize size, const PlotTrace& trace,
                     const SpectrogramPanel& panel, const trace::TraceView& view,
                     const dsp::SpectrogramPicture& picture,
                     std::optional<std::size_t> cursor_sample = std::nullopt);

// The panel with `message` in place of the colours: why there is no
// spectrogram, or that it is being made.
void DrawSpectrogramMessage(QPainter& painter, QSize size, const QString& message);

// The whole trace with its spectrogram beneath, as the bytes of a PNG or SVG
// file of `size` (the SVG carries the panel as an embedded image). Throws
// UserError as RenderTracePlot does.
QByteArray RenderTraceWithSpectrogram(const PlotTrace& trace, const SpectrogramPanel& panel,
                                      PlotFormat format, QSize size);

// RenderTraceWithSpectrogram written to `path` through an AtomicFile.
void WriteTraceWithSpectrogram(const std::filesystem::path& path, const PlotTrace& trace,
                               const SpectrogramPanel& panel, PlotFormat format, QSize size);

// Builds the spectrogram of `samples` (the trace's samples as drawn) with
// `settings` and writes the trace with it, as above. Throws UserError when
// the trace has no spectrogram; nothing is written then.
void WriteTraceWithSpectrogram(const std::filesystem::path& path, const PlotTrace& trace,
                               const SampleSource& samples,
                               const dsp::SpectrogramSettings& settings, PlotFormat format,
                               QSize size);

}  // namespace tremorline::plot
