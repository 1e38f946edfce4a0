// SPDX-License-Identifier: MIT
#include "plot/spectrogram_plot.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <memory>
#include <numbers>
#include <random>
#include <span>
#include <vector>

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QXmlStreamReader>

#include "sac/sac_loader.h"
#include "support/sac_builder.h"
#include "trace/trace_times.h"

namespace tremorline::plot {
namespace {

constexpr std::size_t kThird = 6000;  // a minute at 100 samples a second
constexpr double kNyquist = 50;
constexpr double kTones[] = {5, 10, 20};

// Three tones in turn, a minute each, over faint noise.
std::vector<float> ThreeTones() {
    std::mt19937 random(3);
    std::normal_distribution<double> noise(0, 0.5);
    std::vector<float> samples;
    for (const double hz : kTones) {
        for (std::size_t i = 0; i < kThird; ++i) {
            const double t = static_cast<double>(i) * 0.01;
            samples.push_back(
                static_cast<float>(100 * std::sin(2 * std::numbers::pi * hz * t) + noise(random)));
        }
    }
    return samples;
}

// A trace as the window holds it, with its spectrogram built.
struct ShownTrace {
    MemorySampleSource samples;
    trace::MinMaxSummary summary;
    sac::SacHeader header;
    trace::TraceInfo info;
    std::unique_ptr<dsp::Spectrogram> spectrogram;

    PlotTrace Plot() const { return {samples, summary, header, info, "STA.BHZ"}; }
    SpectrogramPanel Panel() const { return {*spectrogram, samples, spectrogram->DataLimits()}; }
};

std::unique_ptr<ShownTrace> Show(const std::vector<float>& samples) {
    const auto bytes = testing::SacBuilder().Samples(samples).Bytes();
    auto shown =
        std::make_unique<ShownTrace>(ShownTrace{MemorySampleSource(samples), {}, {}, {}, {}});
    shown->summary = *trace::BuildMinMaxSummary(shown->samples);
    shown->header = sac::ParseSacHeader(
        std::span<const unsigned char, sac::kHeaderSize>(bytes.data(), sac::kHeaderSize),
        sac::ByteOrder::Little);
    trace::CopyTraceInfo(shown->header, shown->info);
    trace::ComputeTraceTimes(shown->info);
    const dsp::SpectrogramLayout layout =
        dsp::ChooseSpectrogramLayout({}, shown->header.reals[sac::real::DELTA], samples.size());
    shown->spectrogram =
        std::make_unique<dsp::Spectrogram>(dsp::BuildSpectrogram(shown->samples, layout));
    return shown;
}

// Within `area` and between x `from` and `to`, the row whose mean lightness
// is highest, and that lightness.
std::pair<int, double> BrightestRow(const QImage& image, const QRect& area, int from, int to) {
    std::pair<int, double> best{area.top(), -1};
    for (int y = area.top(); y <= area.bottom(); ++y) {
        double sum = 0;
        for (int x = from; x < to; ++x) {
            sum += qGray(image.pixel(x, y));
        }
        const double mean = sum / (to - from);
        if (mean > best.second) {
            best = {y, mean};
        }
    }
    return best;
}

// The y at which the panel draws `hz`: 0 Hz at the area's bottom edge, the
// Nyquist frequency at its top.
double RowOf(const QRect& area, double hz) {
    return area.top() + (1 - hz / kNyquist) * area.height();
}

void ExpectThreeBands(const QImage& image, const QRect& area) {
    const int width = area.width();
    for (int third = 0; third < 3; ++third) {
        // Away from the changes, where a window holds both tones.
        const int from = area.left() + width * third / 3 + width / 20;
        const int to = area.left() + width * (third + 1) / 3 - width / 20;
        const auto [row, lightness] = BrightestRow(image, area, from, to);
        EXPECT_NEAR(row, RowOf(area, kTones[third]), 3) << "third " << third;
        EXPECT_GT(lightness, 170) << "third " << third;  // the yellow end
        const QColor band(image.pixel((from + to) / 2, row));
        EXPECT_GT(band.red(), 150);
        EXPECT_GT(band.green(), 180);
        EXPECT_LT(band.blue(), 120);
        // Far from every tone the panel is dark.
        const QRect at_40_hz(area.left(), static_cast<int>(RowOf(area, 40)) - 2, width, 5);
        EXPECT_LT(BrightestRow(image, at_40_hz, from, to).second, 110) << "third " << third;
    }
}

TEST(SpectrogramPlot, ThreeTonesInTurnAreBrightBandsAtTheirFrequenciesOverTheirThirds) {
    const auto shown = Show(ThreeTones());
    const QSize size(1200, 640);
    const QImage image = QImage::fromData(
        RenderTraceWithSpectrogram(shown->Plot(), shown->Panel(), PlotFormat::Png, size), "PNG");
    ASSERT_EQ(image.size(), size);
    const int panel_top = size.height() - SpectrogramPanelHeight(size.height());
    const QRect area = SpectrogramArea(QSize(size.width(), SpectrogramPanelHeight(size.height())))
                           .translated(0, panel_top);
    // The panel's columns are the waveform's: the same left and right edges.
    const QRect waveform_area =
        PlotArea(WaveformSizeBesideSpectrogram(QSize(size.width(), panel_top)));
    EXPECT_EQ(area.left(), waveform_area.left());
    EXPECT_EQ(area.right(), waveform_area.right());
    ExpectThreeBands(image, area);

    // The SVG carries the same colours as an embedded image of the area.
    QXmlStreamReader svg(
        RenderTraceWithSpectrogram(shown->Plot(), shown->Panel(), PlotFormat::Svg, size));
    QImage embedded;
    while (!svg.atEnd()) {
        svg.readNext();
        if (svg.isStartElement() && svg.name() == QStringLiteral("image")) {
            const QString href = svg.attributes().value("xlink:href").toString();
            const QString prefix = QStringLiteral("data:image/png;base64,");
            if (href.startsWith(prefix) && embedded.isNull()) {
                embedded = QImage::fromData(
                    QByteArray::fromBase64(href.mid(prefix.size()).toLatin1()), "PNG");
            }
        }
    }
    ASSERT_FALSE(svg.hasError()) << svg.errorString().toStdString();
    ASSERT_EQ(embedded.size(), area.size());
    ExpectThreeBands(embedded, QRect(QPoint(0, 0), area.size()));
}

bool IsCursor(QRgb pixel) {
    const QColor colour(pixel);
    return colour.red() > 200 && colour.green() > 90 && colour.green() < 150 && colour.blue() < 60;
}

// The columns of row `y` that show the play cursor.
std::vector<int> CursorColumns(const QImage& image, int y) {
    std::vector<int> columns;
    for (int x = 0; x < image.width(); ++x) {
        if (IsCursor(image.pixel(x, y))) {
            columns.push_back(x);
        }
    }
    return columns;
}

// Zoomed in on the change from 5 to 10 Hz, the waveform above the panel as
// the window draws them: the cursor crosses both at one x, and the change
// of tone stands where that sample's time does.
TEST(SpectrogramPlot, ThePanelSharesTheWaveformsTimeAxisAndPlayCursor) {
    const auto shown = Show(ThreeTones());
    const QSize whole(1000, 600);
    const QSize waveform = WaveformSizeBesideSpectrogram(QSize(whole.width(), 300));
    const QSize panel(whole.width(), 300);
    const trace::TraceView view{static_cast<double>(kThird) - 1500, 3000};
    const std::size_t cursor = kThird + 700;
    QImage image(whole, QImage::Format_RGB32);
    {
        QPainter painter(&image);
        DrawTrace(painter, waveform, shown->Plot(), view, cursor);
        painter.translate(0, 300);
        DrawSpectrogram(painter, panel, shown->Plot(), shown->Panel(), view, cursor);
    }
    const QRect wave_area = PlotArea(waveform);
    const QRect area = SpectrogramArea(panel).translated(0, 300);
    const std::vector<int> above = CursorColumns(image, wave_area.top() + 3);
    const std::vector<int> below = CursorColumns(image, area.center().y());
    ASSERT_FALSE(above.empty());
    EXPECT_EQ(above, below);
    EXPECT_NEAR(above.front(), XAtSamplePosition(waveform, view, static_cast<double>(cursor)), 1.5);

    // Left of the change the 5 Hz row is bright, right of it the 10 Hz row.
    const int change =
        static_cast<int>(XAtSamplePosition(waveform, view, static_cast<double>(kThird)));
    const int row_5 = static_cast<int>(RowOf(area, 5));
    const int row_10 = static_cast<int>(RowOf(area, 10));
    const int before = change - area.width() / 6;
    const int after = change + area.width() / 6;
    EXPECT_GT(qGray(image.pixel(before, row_5)), qGray(image.pixel(before, row_10)) + 60);
    EXPECT_GT(qGray(image.pixel(after, row_10)), qGray(image.pixel(after, row_5)) + 60);
}

}  // namespace
}  // namespace tremorline::plot
