// SPDX-License-Identifier: MIT
#include "plot/trace_plot.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPaintEngine>
#include <QPolygonF>
#include <QString>

#include "plot/plot_style.h"
#include "trace/axes.h"
#include "trace/markers.h"
#include "trace/time_axis.h"

namespace tremorline::plot {
namespace {

using trace::Envelope;
using trace::MinMax;
using trace::TimeScale;
using trace::TraceView;

constexpr int kLeftMargin = 88;
constexpr int kRightMargin = 24;
constexpr int kTopMargin = 28;
constexpr int kBottomMargin = 46;
constexpr int kArrowSize = 6;
// Roughly how far apart tick marks stand, in pixels.
constexpr int kTimeTickSpacing = 110;
constexpr int kAmplitudeTickSpacing = 40;
// Above this many pixels per sample, each sample gets a dot.
constexpr double kDotSpacing = 6;

const QColor kTraceColour(20, 20, 20);
const QColor kGridColour(228, 228, 228);
const QColor kGapColour(255, 214, 214);
const QColor kEdgeMarkerColour(120, 120, 120);
const QColor kOriginMarkerColour(200, 30, 30);
const QColor kPickMarkerColour(30, 80, 210);
const QColor kEndMarkerColour(20, 140, 60);

// Sample values to vertical pixels over the area, with a little room above
// and below the values shown.
struct AmplitudeScale {
    double low = -1;
    double high = 1;
    double top = 0;
    double bottom = 1;

    double YAt(double value) const {
        return bottom - (value - low) / (high - low) * (bottom - top);
    }
};

AmplitudeScale ScaleFor(const MinMax& range, const QRect& area) {
    AmplitudeScale scale;
    scale.top = area.top();
    scale.bottom = area.bottom();
    if (!range.HasValues()) {
        return scale;
    }
    double low = range.min;
    double high = range.max;
    const double pad = high > low ? (high - low) * 0.05 : std::max(std::abs(low) * 0.1, 1.0);
    scale.low = low - pad;
    scale.high = high + pad;
    return scale;
}

// Header texts are bytes of an 8-bit code page.
QString FromHeaderBytes(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// The min and max of the samples shown, for the vertical scale.
MinMax VisibleRange(const Envelope& envelope, const TraceView& view) {
    MinMax range;
    if (!envelope.lines) {
        for (const MinMax& column : envelope.columns) {
            range.Merge(column);
        }
        return range;
    }
    for (std::size_t k = 0; k < envelope.samples.size(); ++k) {
        const double position = static_cast<double>(envelope.first_sample + k);
        const float value = envelope.samples[k];
        if (position >= view.first - 0.5 && position <= view.first + view.span &&
            std::isfinite(value)) {
            range.min = std::min(range.min, value);
            range.max = std::max(range.max, value);
        }
    }
    return range;
}

// One column's bar, in the drawing's pixels, both ends included.
struct Bar {
    int x;
    int top;
    int bottom;
};

// On a raster device (an image, a window) the bars are written straight into
// the pixels of a layer laid over the area: filling a rectangle one pixel
// wide costs the raster engine a call per row, some 600 000 calls for a full
// window. Other devices (SVG) get one rectangle a bar.
void FillBars(QPainter& painter, const QRect& area, const std::vector<Bar>& bars) {
    const QPaintEngine* engine = painter.paintEngine();
    if (engine != nullptr && engine->type() == QPaintEngine::Raster) {
        QImage layer(area.size(), QImage::Format_ARGB32_Premultiplied);
        if (!layer.isNull()) {
            layer.fill(Qt::transparent);
            const QRgb colour = kTraceColour.rgb();
            const auto stride = static_cast<std::size_t>(layer.bytesPerLine()) / sizeof(QRgb);
            auto* pixels = reinterpret_cast<QRgb*>(layer.bits());
            const int last_row = area.height() - 1;
            for (const Bar& bar : bars) {
                const auto x = static_cast<std::size_t>(bar.x - area.left());
                const int bottom = std::min(bar.bottom - area.top(), last_row);
                for (int y = std::max(bar.top - area.top(), 0); y <= bottom; ++y) {
                    pixels[static_cast<std::size_t>(y) * stride + x] = colour;
                }
            }
            painter.drawImage(area.topLeft(), layer);
            return;
        }
    }
    for (const Bar& bar : bars) {
        painter.fillRect(QRect(bar.x, bar.top, 1, bar.bottom - bar.top + 1), kTraceColour);
    }
}

// Each column a bar from its min to its max, stretched to meet the previous
// column where the two do not overlap, so that a steep stretch stays one
// unbroken stroke. Columns with gaps are shaded behind the trace.
void DrawEnvelope(QPainter& painter, const QRect& area, const Envelope& envelope,
                  const AmplitudeScale& scale) {
    std::vector<Bar> bars;
    bars.reserve(envelope.columns.size());
    const MinMax* previous = nullptr;
    const auto columns = std::min(envelope.columns.size(), static_cast<std::size_t>(area.width()));
    for (std::size_t column = 0; column < columns; ++column) {
        const MinMax& span = envelope.columns[column];
        const int x = area.left() + static_cast<int>(column);
        if (span.gap) {
            painter.fillRect(QRect(x, area.top(), 1, area.height()), kGapColour);
        }
        if (!span.HasValues()) {
            previous = nullptr;
            continue;
        }
        double low = span.min;
        double high = span.max;
        if (previous != nullptr) {
            low = std::min(low, static_cast<double>(previous->max));
            high = std::max(high, static_cast<double>(previous->min));
        }
        bars.push_back({x, Pixel(scale.YAt(high) + 0.5), Pixel(scale.YAt(low) + 0.5)});
        previous = &span;
    }
    FillBars(painter, area, bars);
}

// Straight lines from sample to sample, broken at every gap, which is shaded.
void DrawLines(QPainter& painter, QSize size, const QRect& area, const Envelope& envelope,
               const TraceView& view, const AmplitudeScale& scale) {
    QList<QRectF> gaps;
    std::vector<QPolygonF> runs(1);
    for (std::size_t k = 0; k < envelope.samples.size(); ++k) {
        const double position = static_cast<double>(envelope.first_sample + k);
        const float value = envelope.samples[k];
        if (std::isfinite(value)) {
            runs.back().append(QPointF(XAtSamplePosition(size, view, position), scale.YAt(value)));
            continue;
        }
        const double left = XAtSamplePosition(size, view, position - 0.5);
        const double right = XAtSamplePosition(size, view, position + 0.5);
        gaps.append(QRectF(left, area.top(), std::max(right - left, 1.0), area.height()));
        if (!runs.back().isEmpty()) {
            runs.emplace_back();
        }
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(kGapColour);
    painter.drawRects(gaps);
    painter.setBrush(Qt::NoBrush);

    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(kTraceColour, 1.2));
    const bool dots = area.width() / view.span >= kDotSpacing;
    for (const QPolygonF& run : runs) {
        if (run.size() >= 2) {
            painter.drawPolyline(run);
        }
        if (dots || run.size() == 1) {
            painter.setBrush(kTraceColour);
            for (const QPointF& point : run) {
                painter.drawEllipse(point, 1.8, 1.8);
            }
            painter.setBrush(Qt::NoBrush);
        }
    }
    painter.setRenderHint(QPainter::Antialiasing, false);
}

// Tick values k * step within [from, to], at most a few hundred. Counted by
// an integer, since far from zero adding 1 to a large k may not change it.
std::vector<double> TickValues(double from, double to, double step) {
    std::vector<double> values;
    if (!std::isfinite(from) || !std::isfinite(to) || !(step > 0)) {
        return values;
    }
    const double first = std::ceil(from / step);
    const double last = std::floor(to / step);
    constexpr double kMaxTicks = 500;
    if (!(last - first >= 0 && last - first < kMaxTicks)) {
        return values;
    }
    const auto count = static_cast<int>(last - first) + 1;
    for (int k = 0; k < count; ++k) {
        values.push_back((first + k) * step);
    }
    return values;
}

// A tick mark with its grid line and its label beneath.
void DrawTimeTick(QPainter& painter, const QRect& area, int x, const QString& label) {
    painter.setPen(kGridColour);
    painter.drawLine(x, area.top(), x, area.bottom());
    painter.setPen(kAxisColour);
    painter.drawLine(x, area.bottom() + 1, x, area.bottom() + 4);
    painter.drawText(QRect(x - 60, area.bottom() + 6, 120, kTextHeight),
                     Qt::AlignHCenter | Qt::AlignTop, label);
}

// Ticks at round UTC clock times; the date stands beneath the first and
// beneath any at which it changes. False when the trace's times give none.
bool DrawClockAxis(QPainter& painter, QSize size, const QRect& area, const PlotTrace& trace,
                   const TraceView& view, const TimeScale& time) {
    const double from = time.SecondsAt(view.first);
    const double to = time.SecondsAt(view.first + view.span);
    const std::vector<trace::ClockTick> ticks =
        trace::ClockTicks(trace.info, from, to, std::max(2, area.width() / kTimeTickSpacing));
    if (ticks.empty()) {
        return false;
    }
    const int date_top = area.bottom() + 6 + kTextHeight + 2;
    for (const trace::ClockTick& tick : ticks) {
        const int x = Pixel(XAtSamplePosition(size, view, time.PositionAt(tick.seconds)));
        DrawTimeTick(painter, area, x, FromUtf8(tick.time));
        if (!tick.date.empty()) {
            painter.drawText(QRect(x - 60, date_top, 120, kTextHeight),
                             Qt::AlignHCenter | Qt::AlignTop, FromUtf8(tick.date));
        }
    }
    painter.drawText(QRect(area.left(), date_top, area.width(), kTextHeight),
                     Qt::AlignRight | Qt::AlignTop, QStringLiteral("UTC"));
    return true;
}

void DrawTimeAxis(QPainter& painter, QSize size, const QRect& area, const PlotTrace& trace,
                  const TraceView& view, const TimeScale& time) {
    if (time.in_seconds && trace.time_labels == TimeLabels::Utc &&
        DrawClockAxis(painter, size, area, trace, view, time)) {
        return;
    }
    const double from = time.SecondsAt(view.first);
    const double to = time.SecondsAt(view.first + view.span);
    const double step =
        trace::NiceTickStep(to - from, std::max(2, area.width() / kTimeTickSpacing));
    const int label_top = area.bottom() + 6;
    for (const double seconds : TickValues(from, to, step)) {
        const int x = Pixel(XAtSamplePosition(size, view, time.PositionAt(seconds)));
        DrawTimeTick(painter, area, x, QString::fromStdString(trace::TickText(seconds, step)));
    }

    const QRect edge_row(area.left(), label_top + kTextHeight + 2, area.width(), kTextHeight);
    painter.drawText(edge_row, Qt::AlignHCenter | Qt::AlignTop,
                     time.in_seconds ? QStringLiteral("seconds after the reference time")
                                     : QStringLiteral("samples"));
    if (!time.in_seconds) {
        return;
    }
    if (const auto left = trace::UtcTimeText(trace.info, from)) {
        painter.drawText(edge_row, Qt::AlignLeft | Qt::AlignTop, FromUtf8(*left + " UTC"));
    }
    if (const auto right = trace::UtcTimeText(trace.info, to)) {
        painter.drawText(edge_row, Qt::AlignRight | Qt::AlignTop, FromUtf8(*right + " UTC"));
    }
}

void DrawAmplitudeAxis(QPainter& painter, const QRect& area, const PlotTrace& trace,
                       const AmplitudeScale& scale) {
    const double step = trace::NiceTickStep(scale.high - scale.low,
                                            std::max(2, area.height() / kAmplitudeTickSpacing));
    for (const double value : TickValues(scale.low, scale.high, step)) {
        const int y = Pixel(scale.YAt(value) + 0.5);
        painter.setPen(kGridColour);
        painter.drawLine(area.left(), y, area.right(), y);
        painter.setPen(kAxisColour);
        painter.drawLine(area.left() - 4, y, area.left() - 1, y);
        painter.drawText(QRect(0, y - kTextHeight / 2, area.left() - 6, kTextHeight),
                         Qt::AlignRight | Qt::AlignVCenter,
                         QString::fromStdString(trace::TickText(value, step)));
    }
    const auto& reals = trace.header.reals;
    const QString label = FromUtf8(trace::AmplitudeLabel(trace.info.IDEP, reals[1], reals[2]));
    painter.save();
    painter.translate(2, area.center().y());
    painter.rotate(-90);
    painter.drawText(QRect(-area.height() / 2, 0, area.height(), kTextHeight),
                     Qt::AlignHCenter | Qt::AlignTop, label);
    painter.restore();
}

QColor MarkerColour(const trace::Marker& marker) {
    if (marker.name == "B" || marker.name == "E") {
        return kEdgeMarkerColour;
    }
    if (marker.name == "O") {
        return kOriginMarkerColour;
    }
    if (marker.name == "F") {
        return kEndMarkerColour;
    }
    return kPickMarkerColour;
}

constexpr int kLabelGap = 3;

// Where the marker's label goes in a row starting at `top`: beside its line
// (to the left where it would run past the right edge), or beside its arrow.
QRect LabelRect(const MarkerPlacement& placement, const QRect& area, int top, int width) {
    switch (placement.kind) {
        case MarkerPlacement::Kind::LeftEdge:
            return {area.left() + kArrowSize + kLabelGap, top, width, kTextHeight};
        case MarkerPlacement::Kind::RightEdge:
            return {area.right() + 1 - kArrowSize - kLabelGap - width, top, width, kTextHeight};
        case MarkerPlacement::Kind::Line:
            break;
    }
    if (placement.column + kLabelGap + width > area.right()) {
        return {placement.column - kLabelGap - width, top, width, kTextHeight};
    }
    return {placement.column + kLabelGap, top, width, kTextHeight};
}

QRect ArrowRect(const MarkerPlacement& placement, const QRect& area, int top) {
    const int arrow_top = top + (kTextHeight - kArrowSize) / 2;
    if (placement.kind == MarkerPlacement::Kind::LeftEdge) {
        return {area.left(), arrow_top, kArrowSize + 1, kArrowSize + 1};
    }
    return {area.right() - kArrowSize, arrow_top, kArrowSize + 1, kArrowSize + 1};
}

// An arrow pointing out of the view, for a marker pinned to an edge.
void DrawArrow(QPainter& painter, const MarkerPlacement& placement) {
    const QRect box = placement.arrow;
    const int middle = box.top() + kArrowSize / 2;
    const bool left = placement.kind == MarkerPlacement::Kind::LeftEdge;
    const int tip = left ? box.left() : box.right();
    const int base = left ? box.left() + kArrowSize : box.right() - kArrowSize;
    painter.setBrush(painter.pen().color());
    painter.drawPolygon(QPolygon({QPoint(tip, middle), QPoint(base, middle - kArrowSize / 2),
                                  QPoint(base, middle + kArrowSize / 2)}));
    painter.setBrush(Qt::NoBrush);
}

void DrawMarkers(QPainter& painter, const QRect& area,
                 const std::vector<MarkerPlacement>& placements) {
    for (const MarkerPlacement& placement : placements) {
        painter.setPen(MarkerColour(placement.marker));
        if (placement.kind == MarkerPlacement::Kind::Line) {
            painter.drawLine(placement.column, area.top(), placement.column, area.bottom());
        } else {
            DrawArrow(painter, placement);
        }
        painter.drawText(placement.label, Qt::AlignLeft | Qt::AlignVCenter,
                         FromHeaderBytes(placement.marker.label));
    }
}

void DrawCursor(QPainter& painter, QSize size, const QRect& area, const TraceView& view,
                std::size_t cursor_sample) {
    const double x = XAtSamplePosition(size, view, static_cast<double>(cursor_sample));
    if (x < area.left() || x >= area.left() + area.width()) {
        return;
    }
    painter.setPen(QPen(kCursorColour, 2));
    painter.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
}

void DrawHeading(QPainter& painter, const QRect& area, const PlotTrace& trace,
                 const TraceView& view, const TimeScale& time) {
    const QRect row(area.left(), 6, area.width(), kTextHeight);
    painter.setPen(kAxisColour);
    painter.drawText(row, Qt::AlignLeft | Qt::AlignTop, FromUtf8(trace.title));
    const double total = static_cast<double>(trace.samples.Count());
    const double visible = std::min(view.span, total);
    painter.drawText(
        row, Qt::AlignRight | Qt::AlignTop,
        FromUtf8(trace::SpanText(visible * time.delta, total * time.delta, time.in_seconds)));
}

}  // namespace

void DrawTraceTimeAxis(QPainter& painter, QSize size, const QRect& area, const PlotTrace& trace,
                       const TraceView& view) {
    DrawTimeAxis(painter, size, area, trace, view,
                 trace::TraceTimeScale(trace.header.reals[sac::real::B],
                                       trace.header.reals[sac::real::DELTA]));
}

QRect PlotArea(QSize size) {
    const int width = size.width() - kLeftMargin - kRightMargin;
    const int height = size.height() - kTopMargin - kBottomMargin;
    if (width < 1 || height < 1) {
        return {};
    }
    return {kLeftMargin, kTopMargin, width, height};
}

double SamplePositionAtX(QSize size, const TraceView& view, double x) {
    const QRect area = PlotArea(size);
    if (area.isEmpty()) {
        return view.first;
    }
    return view.first + (x - area.left()) * view.span / area.width();
}

double XAtSamplePosition(QSize size, const TraceView& view, double position) {
    const QRect area = PlotArea(size);
    if (area.isEmpty() || !(view.span > 0)) {
        return area.left();
    }
    return area.left() + (position - view.first) * area.width() / view.span;
}

// Markers in view are lines, markers beyond it (outside the trace, or out of
// a zoomed view) arrows at the edge they lie beyond. Each label, with its
// arrow, takes the highest row where it overlaps no label or arrow laid out
// before it, so that close markers stay legible and an arrow never covers a
// line's label.
std::vector<MarkerPlacement> LayOutMarkers(QSize size, const PlotTrace& trace,
                                           const TraceView& view, const QFontMetrics& metrics) {
    std::vector<MarkerPlacement> placements;
    const QRect area = PlotArea(size);
    const TimeScale time = trace::TraceTimeScale(trace.header.reals[sac::real::B],
                                                 trace.header.reals[sac::real::DELTA]);
    if (area.isEmpty() || !time.in_seconds) {
        return placements;
    }
    const int rows = std::max(1, area.height() / kTextHeight - 1);
    std::vector<QRect> taken;
    for (const trace::Marker& marker : trace::HeaderMarkers(trace.header, trace.samples.Count())) {
        MarkerPlacement placement{marker, MarkerPlacement::Kind::Line, 0, {}, {}};
        const double x = XAtSamplePosition(size, view, time.PositionAt(marker.seconds));
        if (x < area.left()) {
            placement.kind = MarkerPlacement::Kind::LeftEdge;
            placement.column = area.left();
        } else if (x >= area.left() + area.width()) {
            placement.kind = MarkerPlacement::Kind::RightEdge;
            placement.column = area.right();
        } else {
            placement.column = Pixel(x);
        }
        const int width = metrics.horizontalAdvance(FromHeaderBytes(marker.label)) + 1;
        for (int row = 0; row < rows; ++row) {
            const int top = area.top() + 2 + row * kTextHeight;
            placement.label = LabelRect(placement, area, top, width);
            placement.arrow = placement.kind == MarkerPlacement::Kind::Line
                                  ? QRect()
                                  : ArrowRect(placement, area, top);
            const bool free = std::none_of(taken.begin(), taken.end(), [&](const QRect& other) {
                return other.intersects(placement.label) ||
                       (!placement.arrow.isNull() && other.intersects(placement.arrow));
            });
            if (free) {
                break;
            }
        }
        taken.push_back(placement.label);
        if (!placement.arrow.isNull()) {
            taken.push_back(placement.arrow);
        }
        placements.push_back(std::move(placement));
    }
    return placements;
}

trace::Envelope PlotEnvelope(QSize size, const PlotTrace& trace, const TraceView& view) {
    const QRect area = PlotArea(size);
    if (area.isEmpty()) {
        return {};
    }
    return trace::ComputeEnvelope(trace.samples, trace.summary, view,
                                  static_cast<std::size_t>(area.width()));
}

void DrawTrace(QPainter& painter, QSize size, const PlotTrace& trace, const TraceView& view,
               std::optional<std::size_t> cursor_sample) {
    DrawTrace(painter, size, trace, view, PlotEnvelope(size, trace, view), cursor_sample);
}

void DrawTrace(QPainter& painter, QSize size, const PlotTrace& trace, const TraceView& view,
               const Envelope& envelope, std::optional<std::size_t> cursor_sample) {
    painter.save();
    painter.fillRect(QRect(QPoint(0, 0), size), kBackground);
    painter.setFont(PlotFont());
    const QRect area = PlotArea(size);
    if (area.isEmpty()) {
        painter.restore();
        return;
    }
    const AmplitudeScale scale = ScaleFor(VisibleRange(envelope, view), area);
    const TimeScale time = trace::TraceTimeScale(trace.header.reals[sac::real::B],
                                                 trace.header.reals[sac::real::DELTA]);

    DrawTimeAxis(painter, size, area, trace, view, time);
    DrawAmplitudeAxis(painter, area, trace, scale);
    painter.setClipRect(area);
    if (envelope.lines) {
        DrawLines(painter, size, area, envelope, view, scale);
    } else {
        DrawEnvelope(painter, area, envelope, scale);
    }
    DrawMarkers(painter, area, LayOutMarkers(size, trace, view, painter.fontMetrics()));
    if (cursor_sample) {
        DrawCursor(painter, size, area, view, *cursor_sample);
    }
    painter.setClipping(false);
    painter.setPen(kAxisColour);
    painter.drawRect(area.adjusted(-1, -1, 0, 0));
    DrawHeading(painter, area, trace, view, time);
    painter.restore();
}

void DrawMessage(QPainter& painter, QSize size, const QString& message) {
    painter.save();
    const QRect whole(QPoint(0, 0), size);
    painter.fillRect(whole, kBackground);
    painter.setFont(PlotFont());
    painter.setPen(kAxisColour);
    painter.drawText(whole, Qt::AlignCenter, message);
    painter.restore();
}

}  // namespace tremorline::plot
