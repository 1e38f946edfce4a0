// SPDX-License-Identifier: MIT
#include "plot/spectrogram_plot.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include <QColor>
#include <QFont>
#include <QImage>

#include "plot/plot_style.h"
#include "trace/axes.h"

namespace tremorline::plot {
namespace {

constexpr int kFrequencyTickSpacing = 36;
constexpr int kDbTickSpacing = 30;
constexpr int kBarGap = 6;
constexpr int kBarWidth = 14;

// Viridis (CC0), every eighth of its 256 entries and the last, as 8-bit RGB.
struct Anchor {
    int index;
    double r;
    double g;
    double b;
};
constexpr std::array<Anchor, 33> kViridis = {{
    {0, 0.267004, 0.004874, 0.329415},   {8, 0.277018, 0.050344, 0.375715},
    {16, 0.282327, 0.094955, 0.417331},  {24, 0.282884, 0.135920, 0.453427},
    {32, 0.278826, 0.175490, 0.483397},  {40, 0.270595, 0.214069, 0.507052},
    {48, 0.258965, 0.251537, 0.524736},  {56, 0.244972, 0.287675, 0.537260},
    {64, 0.229739, 0.322361, 0.545706},  {72, 0.214298, 0.355619, 0.551184},
    {80, 0.199430, 0.387607, 0.554642},  {88, 0.185556, 0.418570, 0.556753},
    {96, 0.172719, 0.448791, 0.557885},  {104, 0.160665, 0.478540, 0.558115},
    {112, 0.149039, 0.508051, 0.557250}, {120, 0.137770, 0.537492, 0.554906},
    {128, 0.127568, 0.566949, 0.550556}, {136, 0.120565, 0.596422, 0.543611},
    {144, 0.120638, 0.625828, 0.533488}, {152, 0.132268, 0.655014, 0.519661},
    {160, 0.157851, 0.683765, 0.501686}, {168, 0.196571, 0.711827, 0.479221},
    {176, 0.246070, 0.738910, 0.452024}, {184, 0.304148, 0.764704, 0.419943},
    {192, 0.369214, 0.788888, 0.382914}, {200, 0.440137, 0.811138, 0.340967},
    {208, 0.515992, 0.831158, 0.294279}, {216, 0.595839, 0.848717, 0.243329},
    {224, 0.678489, 0.863742, 0.189503}, {232, 0.762373, 0.876424, 0.137064},
    {240, 0.845561, 0.887322, 0.099702}, {248, 0.926106, 0.897330, 0.104071},
    {255, 0.993248, 0.906157, 0.143936},
}};

// The 256 colours, each between its two anchors.
const std::array<QRgb, 256>& ViridisTable() {
    static const std::array<QRgb, 256> table = [] {
        std::array<QRgb, 256> colours{};
        std::size_t anchor = 0;
        for (int i = 0; i < 256; ++i) {
            while (kViridis[anchor + 1].index < i) {
                ++anchor;
            }
            const Anchor& a = kViridis[anchor];
            const Anchor& b = kViridis[anchor + 1];
            const double t = static_cast<double>(i - a.index) / (b.index - a.index);
            auto channel = [t](double from, double to) {
                return static_cast<int>(std::lround((from + (to - from) * t) * 255));
            };
            colours[static_cast<std::size_t>(i)] =
                qRgb(channel(a.r, b.r), channel(a.g, b.g), channel(a.b, b.b));
        }
        return colours;
    }();
    return table;
}

// Values k * step from `from` to `to`, both included.
std::vector<double> Ticks(double from, double to, double step) {
    std::vector<double> values;
    if (!(step > 0) || !std::isfinite(from) || !std::isfinite(to)) {
        return values;
    }
    const double first = std::ceil(from / step - 1e-9);
    const double last = std::floor(to / step + 1e-9);
    for (double k = first; k <= last && values.size() < 200; k += 1) {
        values.push_back(k * step);
    }
    return values;
}

void DrawHeading(QPainter& painter, const QRect& area, const QString& text) {
    painter.setPen(kAxisColour);
    painter.drawText(QRect(area.left(), 6, area.width(), kTextHeight), Qt::AlignLeft | Qt::AlignTop,
                     text);
}

QString HeadingOf(const dsp::SpectrogramLayout& layout) {
    const double overlap = 1 - static_cast<double>(layout.hop) / static_cast<double>(layout.window);
    return FromUtf8("Spectrogram  window " + trace::SpanNumberText(layout.WindowSeconds()) +
                    " s (" + std::to_string(layout.window) + " samples), overlap " +
                    trace::SpanNumberText(std::round(overlap * 1000) / 10) + " %, Hann");
}

// Ticks in Hz on the left: 0 at the area's bottom edge, Nyquist at its top.
void DrawFrequencyAxis(QPainter& painter, const QRect& area, double nyquist) {
    const double step =
        trace::NiceTickStep(nyquist, std::max(2, area.height() / kFrequencyTickSpacing));
    painter.setPen(kAxisColour);
    for (const double hz : Ticks(0, nyquist, step)) {
        const int y =
            std::min(area.bottom(), Pixel(area.top() + (1 - hz / nyquist) * area.height()));
        painter.drawLine(area.left() - 5, y, area.left() - 1, y);
        painter.drawText(QRect(0, y - kTextHeight / 2, area.left() - 8, kTextHeight),
                         Qt::AlignRight | Qt::AlignVCenter, FromUtf8(trace::TickText(hz, step)));
    }
    painter.save();
    painter.translate(2, area.center().y());
    painter.rotate(-90);
    painter.drawText(QRect(-area.height() / 2, 0, area.height(), kTextHeight),
                     Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("frequency, Hz"));
    painter.restore();
}

// The colours from the low limit (bottom) to the high (top), with their dB.
void DrawColourBar(QPainter& painter, QSize size, const QRect& area, const dsp::DbLimits& limits) {
    const QRect bar(size.width() - kColourBarStrip + kBarGap, area.top(), kBarWidth, area.height());
    QImage colours(1, bar.height(), QImage::Format_RGB32);
    for (int y = 0; y < bar.height(); ++y) {
        const double fraction = 1 - (y + 0.5) / bar.height();
        colours.setPixel(0, y, ViridisColour(fraction));
    }
    painter.drawImage(bar, colours);
    painter.setPen(kAxisColour);
    painter.drawRect(bar.adjusted(-1, -1, 0, 0));
    const double span = limits.high - limits.low;
    const double step = trace::NiceTickStep(span, std::max(2, area.height() / kDbTickSpacing));
    for (const double db : Ticks(limits.low, limits.high, step)) {
        const int y =
            std::min(bar.bottom(), Pixel(bar.top() + (limits.high - db) / span * bar.height()));
        painter.drawLine(bar.right() + 1, y, bar.right() + 3, y);
        painter.drawText(QRect(bar.right() + 5, y - kTextHeight / 2, kColourBarStrip, kTextHeight),
                         Qt::AlignLeft | Qt::AlignVCenter, FromUtf8(trace::TickText(db, step)));
    }
    painter.drawText(
        QRect(bar.left() - kBarGap, area.top() - kTextHeight - 2, kColourBarStrip, kTextHeight),
        Qt::AlignLeft | Qt::AlignBottom, QStringLiteral("dB"));
}

QImage PictureImage(const dsp::SpectrogramPicture& picture, const dsp::DbLimits& limits) {
    QImage image(static_cast<int>(picture.width), static_cast<int>(picture.rows),
                 QImage::Format_RGB32);
    if (image.isNull()) {
        return image;
    }
    const std::array<QRgb, 256>& table = ViridisTable();
    const QRgb background = kBackground.rgb();
    const auto low = static_cast<float>(limits.low);
    const auto scale = static_cast<float>(255 / (limits.high - limits.low));
    for (std::size_t row = 0; row < picture.rows; ++row) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(static_cast<int>(row)));
        for (std::size_t column = 0; column < picture.width; ++column) {
            const float db = picture.At(column, row);
            if (std::isnan(db)) {
                line[column] = background;
                continue;
            }
            const float index = std::clamp((db - low) * scale + 0.5f, 0.0f, 255.0f);
            line[column] = table[static_cast<std::size_t>(index)];
        }
    }
    return image;
}

// The parts every panel has: background, the time axis, the frame.
QRect DrawPanelFrame(QPainter& painter, QSize size, const PlotTrace* trace,
                     const trace::TraceView* view) {
    painter.fillRect(QRect(QPoint(0, 0), size), kBackground);
    painter.setFont(PlotFont());
    const QRect area = SpectrogramArea(size);
    if (!area.isEmpty() && trace != nullptr && view != nullptr) {
        DrawTraceTimeAxis(painter, WaveformSizeBesideSpectrogram(size), area, *trace, *view);
    }
    return area;
}

}  // namespace

QSize WaveformSizeBesideSpectrogram(QSize size) {
    return {std::max(0, size.width() - kColourBarStrip), size.height()};
}

QRect SpectrogramArea(QSize size) {
    return PlotArea(WaveformSizeBesideSpectrogram(size));
}

int SpectrogramPanelHeight(int height) {
    return height / 2;
}

QRgb ViridisColour(double fraction) {
    const double clamped = std::isnan(fraction) ? 0.0 : std::clamp(fraction, 0.0, 1.0);
    return ViridisTable()[static_cast<std::size_t>(std::lround(clamped * 255))];
}

dsp::SpectrogramPicture SpectrogramPictureFor(QSize size, const SpectrogramPanel& panel,
                                              const trace::TraceView& view) {
    const QRect area = SpectrogramArea(size);
    if (area.isEmpty()) {
        return {};
    }
    return dsp::ComputeSpectrogramPicture(panel.spectrogram, panel.samples, view,
                                          static_cast<std::size_t>(area.width()),
                                          static_cast<std::size_t>(area.height()));
}

void DrawSpectrogram(QPainter& painter, QSize size, const PlotTrace& trace,
                     const SpectrogramPanel& panel, const trace::TraceView& view,
                     std::optional<std::size_t> cursor_sample) {
    DrawSpectrogram(painter, size, trace, panel, view, SpectrogramPictureFor(size, panel, view),
                    cursor_sample);
}

void DrawSpectrogram(QPainter& painter, QSize size, const PlotTrace& trace,
                     const SpectrogramPanel& panel, const trace::TraceView& view,
                     const dsp::SpectrogramPicture& picture,
                     std::optional<std::size_t> cursor_sample) {
    painter.save();
    const QRect area = DrawPanelFrame(painter, size, &trace, &view);
    if (area.isEmpty()) {
        painter.restore();
        return;
    }
    const dsp::SpectrogramLayout& layout = panel.spectrogram.Layout();
    if (picture.width == static_cast<std::size_t>(area.width()) &&
        picture.rows == static_cast<std::size_t>(area.height())) {
        painter.drawImage(area.topLeft(), PictureImage(picture, panel.limits));
    }
    if (cursor_sample) {
        const double x = XAtSamplePosition(WaveformSizeBesideSpectrogram(size), view,
                                           static_cast<double>(*cursor_sample));
        if (x >= area.left() && x < area.left() + area.width()) {
            painter.setPen(QPen(kCursorColour, 2));
            painter.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
        }
    }
    painter.setPen(kAxisColour);
    painter.drawRect(area.adjusted(-1, -1, 0, 0));
    DrawFrequencyAxis(painter, area, layout.Nyquist());
    DrawColourBar(painter, size, area, panel.limits);
    DrawHeading(painter, area, HeadingOf(layout));
    painter.restore();
}

void DrawSpectrogramMessage(QPainter& painter, QSize size, const QString& message) {
    painter.save();
    const QRect area = DrawPanelFrame(painter, size, nullptr, nullptr);
    if (!area.isEmpty()) {
        painter.setPen(kAxisColour);
        painter.drawRect(area.adjusted(-1, -1, 0, 0));
        DrawHeading(painter, area, QStringLiteral("Spectrogram"));
        painter.drawText(area.adjusted(8, 0, -8, 0), Qt::AlignCenter | Qt::TextWordWrap, message);
    } else {
        painter.drawText(QRect(QPoint(0, 0), size), Qt::AlignCenter, message);
    }
    painter.restore();
}

namespace {

void DrawBoth(QPainter& painter, QSize size, const PlotTrace& trace,
              const SpectrogramPanel& panel) {
    const trace::TraceView view = trace::WholeTraceView(trace.samples.Count());
    const int panel_height = SpectrogramPanelHeight(size.height());
    const QSize waveform(size.width(), size.height() - panel_height);
    painter.fillRect(QRect(QPoint(0, 0), waveform), kBackground);
    DrawTrace(painter, WaveformSizeBesideSpectrogram(waveform), trace, view);
    painter.save();
    painter.translate(0, waveform.height());
    DrawSpectrogram(painter, QSize(size.width(), panel_height), trace, panel, view);
    painter.restore();
}

}  // namespace

QByteArray RenderTraceWithSpectrogram(const PlotTrace& trace, const SpectrogramPanel& panel,
                                      PlotFormat format, QSize size) {
    CheckPlotSize(size);
    return EncodePlot(format, size, trace.title,
                      [&](QPainter& painter) { DrawBoth(painter, size, trace, panel); });
}

void WriteTraceWithSpectrogram(const std::filesystem::path& path, const PlotTrace& trace,
                               const SpectrogramPanel& panel, PlotFormat format, QSize size) {
    WritePlotFile(path, RenderTraceWithSpectrogram(trace, panel, format, size));
}

void WriteTraceWithSpectrogram(const std::filesystem::path& path, const PlotTrace& trace,
                               const SampleSource& samples,
                               const dsp::SpectrogramSettings& settings, PlotFormat format,
                               QSize size) {
    CheckPlotSize(size);
    const dsp::SpectrogramLayout layout = dsp::ChooseSpectrogramLayout(
        settings, trace.header.reals[sac::real::DELTA], samples.Count());
    const dsp::Spectrogram spectrogram = dsp::BuildSpectrogram(samples, layout);
    WriteTraceWithSpectrogram(path, trace, {spectrogram, samples, spectrogram.DataLimits()}, format,
                              size);
}

}  // namespace tremorline::plot
