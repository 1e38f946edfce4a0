// SPDX-License-Identifier: MIT
#pragma once

// Drawing a trace with QPainter, the same for the waveform window, the PNG
// and the SVG: the samples as an exact min/max envelope per pixel column (or
// as lines when zoomed in close), gaps where samples are NaN or infinite,
// the time and amplitude axes, the header's markers, the visible span and an
// optional play cursor.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include <QFontMetrics>
#include <QPainter>
#include <QRect>
#include <QSize>

#include "common/sample_source.h"
#include "sac/sac_header.h"
#include "trace/envelope.h"
#include "trace/loaded_trace.h"
#include "trace/markers.h"
#include "trace/minmax_summary.h"
#include "trace/trace_info.h"

namespace tremorline::plot {

// What the time axis's labels count: UTC clock times (with the date at the
// first label and wherever it changes), or seconds after the reference time
// (with the UTC times of the two edges beneath).
enum class TimeLabels { Utc, SecondsAfterReference };

// One loaded trace as the drawing sees it. Nothing is copied: the caller
// keeps every part alive while it draws. `summary` is the summary of
// `samples`; `info` holds the times computed at load; `title` is UTF-8.
struct PlotTrace {
    const SampleSource& samples;
    const trace::MinMaxSummary& summary;
    const sac::SacHeader& header;
    const trace::TraceInfo& info;
    std::string title;
    TimeLabels time_labels = TimeLabels::Utc;
};

// The drawing's view of a loaded trace and the summary of its samples.
inline PlotTrace PlotTraceOf(const trace::LoadedTrace& loaded,
                             const trace::MinMaxSummary& summary) {
    return {*loaded.samples, summary, loaded.header, loaded.info, loaded.title};
}

// The rectangle the samples are drawn in, within a drawing of `size`; the
// rest holds the title, the span, the axes' ticks and texts. Empty when
// `size` is too small for anything.
QRect PlotArea(QSize size);

// The sample position under the horizontal pixel `x` of a drawing of `size`
// showing `view` (for zooming around the pointer and dragging).
double SamplePositionAtX(QSize size, const trace::TraceView& view, double x);

// The horizontal pixel at which the sample position `position` stands.
double XAtSamplePosition(QSize size, const trace::TraceView& view, double position);

// Where a drawing of `size` showing `view` puts one of the trace's markers:
// a line at `column` when the marker is in view, otherwise an arrow at the
// edge it lies beyond; and its label, drawn with a font of `metrics`. No
// label or arrow overlaps another while the area has rows enough.
struct MarkerPlacement {
    enum class Kind { Line, LeftEdge, RightEdge };

    trace::Marker marker;
    Kind kind = Kind::Line;
    int column = 0;  // the line's column, or the edge's
    QRect arrow;     // null for a line
    QRect label;
};
std::vector<MarkerPlacement> LayOutMarkers(QSize size, const PlotTrace& trace,
                                           const trace::TraceView& view,
                                           const QFontMetrics& metrics);

// Draws `view` of `trace` on `painter`, over the whole of `size`, background
// included. With `cursor_sample`, a play cursor stands at that sample when it
// is in view. Throws what the sample source throws when a sample cannot be
// read.
void DrawTrace(QPainter& painter, QSize size, const PlotTrace& trace, const trace::TraceView& view,
               std::optional<std::size_t> cursor_sample = std::nullopt);

// The envelope DrawTrace draws for `view` on a drawing of `size`. A window
// keeps it while the view and the size stay the same, and draws with it, so
// that a moving play cursor redraws without reading any sample.
trace::Envelope PlotEnvelope(QSize size, const PlotTrace& trace, const trace::TraceView& view);

// DrawTrace with an envelope from PlotEnvelope for the same size and view.
void DrawTrace(QPainter& painter, QSize size, const PlotTrace& trace, const trace::TraceView& view,
               const trace::Envelope& envelope,
               std::optional<std::size_t> cursor_sample = std::nullopt);

// The time axis under `area` as DrawTrace draws it for `view`: ticks, their
// texts and the view's ends in UTC. Drawings that share the waveform's time
// axis (the spectrogram panel) draw theirs with it.
void DrawTraceTimeAxis(QPainter& painter, QSize size, const QRect& area, const PlotTrace& trace,
                       const trace::TraceView& view);

// Fills `size` with the background and `message` in its middle ("Reading…"
// while the summary is built).
void DrawMessage(QPainter& painter, QSize size, const QString& message);

}  // namespace tremorline::plot
