// SPDX-License-Identifier: MIT
#include "plot/trace_plot.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <limits>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QXmlStreamReader>

#include "common/user_error.h"
#include "plot/plot_output.h"
#include "sac/sac_loader.h"
#include "support/sac_builder.h"
#include "support/temp_dir.h"
#include "trace/loaded_trace.h"
#include "trace/trace_times.h"

namespace tremorline::plot {
namespace {

// A trace as the window holds it once loaded and summarised.
struct ShownTrace {
    MemorySampleSource samples;
    trace::MinMaxSummary summary;
    sac::SacHeader header;
    trace::TraceInfo info;

    PlotTrace Plot() const { return {samples, summary, header, info, "STA.BHZ"}; }
};

std::unique_ptr<ShownTrace> Show(testing::SacBuilder builder, std::vector<float> samples) {
    builder.Samples(samples);
    const auto bytes = builder.Bytes();
    auto shown = std::make_unique<ShownTrace>(ShownTrace{MemorySampleSource(samples), {}, {}, {}});
    shown->summary = *trace::BuildMinMaxSummary(shown->samples);
    shown->header = sac::ParseSacHeader(
        std::span<const unsigned char, sac::kHeaderSize>(bytes.data(), sac::kHeaderSize),
        sac::ByteOrder::Little);
    trace::CopyTraceInfo(shown->header, shown->info);
    trace::ComputeTraceTimes(shown->info);
    return shown;
}

QImage DecodedPng(const PlotTrace& trace, QSize size) {
    return QImage::fromData(RenderTracePlot(trace, PlotFormat::Png, size), "PNG");
}

bool Dark(QRgb pixel) {
    return qGray(pixel) < 80;
}

bool Coloured(QRgb pixel) {
    return QColor(pixel).hsvSaturation() > 100;
}

int DarkPixelsInColumn(const QImage& image, const QRect& area, int x) {
    int dark = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        dark += Dark(image.pixel(x, y)) ? 1 : 0;
    }
    return dark;
}

constexpr std::size_t kSpikeTraceLength = 16000;
constexpr std::size_t kSpikeAt = 12345;

std::vector<float> SpikeTrace() {
    std::vector<float> samples(kSpikeTraceLength, 0.0f);
    samples[kSpikeAt] = 1000.0f;
    return samples;
}

TEST(TracePlot, APngHasTheAskedSizeAndItsSpikeWhereTheSpikesTimeMaps) {
    const auto shown = Show(testing::SacBuilder(), SpikeTrace());
    for (const QSize size : {QSize(1600, 500), QSize(777, 241)}) {
        const QImage image = DecodedPng(shown->Plot(), size);
        ASSERT_EQ(image.size(), size);
        const QRect area = PlotArea(size);
        int darkest = area.left();
        for (int x = area.left(); x <= area.right(); ++x) {
            if (DarkPixelsInColumn(image, area, x) > DarkPixelsInColumn(image, area, darkest)) {
                darkest = x;
            }
        }
        const double expected = area.left() + static_cast<double>(kSpikeAt) * area.width() /
                                                  static_cast<double>(kSpikeTraceLength);
        EXPECT_NEAR(darkest, expected, 1.0) << size.width();
        EXPECT_GT(DarkPixelsInColumn(image, area, darkest), area.height() * 3 / 4);
    }
}

TEST(TracePlot, ALoadedTraceOfEitherByteOrderIsDrawnFromItsFile) {
    const testing::TempDir folder;
    for (const bool big_endian : {false, true}) {
        const auto path = folder / (big_endian ? "big.sac" : "little.sac");
        testing::SacBuilder builder;
        builder.Samples(SpikeTrace()).BigEndian(big_endian).WriteTo(path);
        const auto loaded = trace::LoadSacTrace(path);
        ASSERT_TRUE(loaded);
        const auto summary = trace::BuildMinMaxSummary(*loaded->samples);
        const PlotTrace plotted = PlotTraceOf(*loaded, *summary);
        const QSize size(900, 300);
        const QImage image = DecodedPng(plotted, size);
        const QRect area = PlotArea(size);
        const double expected = area.left() + static_cast<double>(kSpikeAt) * area.width() /
                                                  static_cast<double>(kSpikeTraceLength);
        const int x = static_cast<int>(expected);
        EXPECT_GT(DarkPixelsInColumn(image, area, x), area.height() * 3 / 4) << big_endian;
    }
}

TEST(TracePlot, ZoomedInTheSamplesAreJoinedByLinesThroughTheSpike) {
    const auto shown = Show(testing::SacBuilder(), SpikeTrace());
    const QSize size(1000, 400);
    const trace::TraceView view{kSpikeAt - 10.0, 20};
    const QImage image = RenderTraceImage(shown->Plot(), size, view);
    const QRect area = PlotArea(size);
    int top_x = -1;
    for (int y = area.top(); y <= area.bottom() && top_x < 0; ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (Dark(image.pixel(x, y))) {
                top_x = x;
                break;
            }
        }
    }
    EXPECT_NEAR(top_x, XAtSamplePosition(size, view, kSpikeAt), 3.0);
    // The lines down from the peak cover the columns either side of it.
    EXPECT_GT(DarkPixelsInColumn(image, area, top_x - area.width() / 40), 0);
    EXPECT_GT(DarkPixelsInColumn(image, area, top_x + area.width() / 40), 0);
}

TEST(TracePlot, NaNAndInfiniteSamplesLeaveAShadedGap) {
    std::vector<float> samples(kSpikeTraceLength);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = std::sin(static_cast<float>(i) * 0.01f);
    }
    for (std::size_t i = 6000; i < 8000; ++i) {
        samples[i] = i % 2 == 0 ? std::numeric_limits<float>::quiet_NaN()
                                : std::numeric_limits<float>::infinity();
    }
    // No B or E markers, whose lines and labels would cover the trace.
    testing::SacBuilder builder;
    builder.Real(sac::real::B, sac::kUndefined).Real(sac::real::E, sac::kUndefined);
    const auto shown = Show(builder, samples);
    const QSize size(1000, 300);
    const QImage image = DecodedPng(shown->Plot(), size);
    const QRect area = PlotArea(size);
    const trace::TraceView whole = trace::WholeTraceView(samples.size());
    const QColor shade(255, 214, 214);
    for (int x = area.left(); x <= area.right(); ++x) {
        const double position = SamplePositionAtX(size, whole, x + 0.5);
        const bool in_gap = position > 6000 + 20 && position < 8000 - 20;
        const bool clear = position < 6000 - 20 || position > 8000 + 20;
        if (in_gap) {
            EXPECT_EQ(DarkPixelsInColumn(image, area, x), 0) << x;
            EXPECT_EQ(QColor(image.pixel(x, area.top() + 2)), shade) << x;
        } else if (clear) {
            EXPECT_NE(QColor(image.pixel(x, area.top() + 2)), shade) << x;
            EXPECT_GT(DarkPixelsInColumn(image, area, x), 0) << x;
        }
    }
}

// 1000 samples at 0.01 s from B = 10 s, with the event, a first arrival, two
// picks and the end marked; T9 lies before the trace begins.
testing::SacBuilder MarkedTrace() {
    testing::SacBuilder builder;
    builder.Real(sac::real::DELTA, 0.01f).Real(sac::real::B, 10.0f).Real(sac::real::E, 19.99f);
    builder.Real(sac::real::O, 12.5f).Text(4, "quake");
    builder.Real(8, 13.25f).Text(5, "P");
    builder.Real(10, 14.0f).Text(6, "S");
    builder.Real(19, 5.0f).Text(15, "Lg");
    builder.Real(20, 18.0f);
    return builder;
}

TEST(TracePlot, MarkersStandAtTheirTimesAndOnesOutsideTheTraceAtTheEdge) {
    // A growing wave, which crosses the marker lines without hiding them.
    std::vector<float> wave(1000);
    for (std::size_t i = 0; i < wave.size(); ++i) {
        wave[i] = std::sin(static_cast<float>(i) * 0.05f) * static_cast<float>(i);
    }
    const auto shown = Show(MarkedTrace(), wave);
    const QSize size(1000, 400);
    const QImage image = DecodedPng(shown->Plot(), size);
    const QRect area = PlotArea(size);
    std::vector<double> expected;
    for (const double seconds : {12.5, 13.25, 14.0, 18.0}) {
        expected.push_back(area.left() + (seconds - 10.0) / 0.01 * area.width() / 1000.0);
    }
    // Along a row below the labels, coloured pixels are the markers' lines,
    // each within a pixel of its time, and nothing else.
    const int y = area.bottom() - 3;
    for (const double x : expected) {
        bool found = false;
        for (int dx = -1; dx <= 1; ++dx) {
            found = found || Coloured(image.pixel(static_cast<int>(std::floor(x)) + dx, y));
        }
        EXPECT_TRUE(found) << "no marker line at x " << x;
    }
    for (int x = area.left(); x <= area.right(); ++x) {
        if (!Coloured(image.pixel(x, y))) {
            continue;
        }
        bool expected_here = false;
        for (const double want : expected) {
            expected_here = expected_here || std::abs(x - std::floor(want)) <= 1;
        }
        EXPECT_TRUE(expected_here) << "unexpected marker line at x " << x;
    }
    // T9 is drawn as an arrow at the left edge among the labels.
    int arrow_pixels = 0;
    for (int x = area.left(); x < area.left() + 8; ++x) {
        for (int row = area.top(); row < area.top() + 50; ++row) {
            arrow_pixels += Coloured(image.pixel(x, row)) ? 1 : 0;
        }
    }
    EXPECT_GT(arrow_pixels, 5);
}

// No marker's label or arrow covers another's, whether the markers crowd an
// edge (the event's origin before B, so its arrow sits where B's label
// starts), crowd each other, or fall out of a zoomed view on both sides.
TEST(TracePlot, MarkerLabelsAndArrowsNeverOverlap) {
    testing::SacBuilder crowded = MarkedTrace();
    crowded.Real(sac::real::O, 4.0f).Text(4, "quake");
    for (std::size_t pick = 0; pick < 6; ++pick) {
        crowded.Real(10 + pick, 13.0f + 0.02f * static_cast<float>(pick));
    }
    crowded.Real(20, 25.0f);  // F, after the end
    const auto marked = Show(MarkedTrace(), std::vector<float>(1000, 0.0f));
    const auto busy = Show(crowded, std::vector<float>(1000, 0.0f));
    const trace::TraceView whole = trace::WholeTraceView(1000);
    const trace::TraceView middle{400.0, 100.0};
    const struct {
        const char* what;
        const ShownTrace& shown;
        trace::TraceView view;
        QSize size;
    } cases[] = {
        {"marked, whole", *marked, whole, {1000, 400}},
        {"marked, narrow", *marked, whole, {260, 400}},
        {"crowded, whole", *busy, whole, {1000, 400}},
        {"crowded, zoomed", *busy, middle, {1000, 400}},
    };
    QFont font;  // the drawing's
    font.setPixelSize(12);
    for (const auto& c : cases) {
        const std::vector<MarkerPlacement> placements =
            LayOutMarkers(c.size, c.shown.Plot(), c.view, QFontMetrics(font));
        ASSERT_GE(placements.size(), 6u) << c.what;
        std::vector<std::pair<std::string, QRect>> boxes;
        for (const MarkerPlacement& p : placements) {
            EXPECT_FALSE(p.label.isEmpty()) << c.what << ": " << p.marker.label;
            boxes.emplace_back(p.marker.label, p.label);
            if (p.kind != MarkerPlacement::Kind::Line) {
                boxes.emplace_back(p.marker.label + " arrow", p.arrow);
            }
        }
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            for (std::size_t j = i + 1; j < boxes.size(); ++j) {
                EXPECT_FALSE(boxes[i].second.intersects(boxes[j].second))
                    << c.what << ": " << boxes[i].first << " overlaps " << boxes[j].first;
            }
        }
    }
}

// The texts of an SVG drawing, one a line, and its view box.
struct SvgTexts {
    QString text;
    QString view_box;
    bool well_formed = false;
};

SvgTexts ReadSvg(const QByteArray& svg) {
    SvgTexts read;
    QXmlStreamReader xml(svg);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"svg") {
            read.view_box = xml.attributes().value("viewBox").toString();
        }
        if (xml.isCharacters()) {
            read.text += xml.text();
            read.text += u'\n';
        }
    }
    read.well_formed = !xml.hasError();
    return read;
}

// The time axis counts UTC clock times with the date at its start, or
// seconds after the reference time with the UTC times of its edges.
TEST(TracePlot, TheSvgIsWellFormedXmlHoldingTheMarkersAndTheTimes) {
    const auto shown = Show(MarkedTrace(), std::vector<float>(1000, 0.0f));
    const SvgTexts utc = ReadSvg(RenderTracePlot(shown->Plot(), PlotFormat::Svg, QSize(1000, 400)));
    ASSERT_TRUE(utc.well_formed);
    EXPECT_EQ(utc.view_box, "0 0 1000 400");
    for (const char* label : {"B", "E", "O quake", "A P", "T0 S", "T9 Lg", "F", "10 s of 10 s",
                              "03:04:16", "03:04:24", "2005-02-01", "UTC"}) {
        EXPECT_TRUE(utc.text.contains(QString::fromUtf8(label))) << label;
    }
    EXPECT_FALSE(utc.text.contains("seconds after the reference time"));

    PlotTrace in_seconds = shown->Plot();
    in_seconds.time_labels = TimeLabels::SecondsAfterReference;
    const SvgTexts seconds =
        ReadSvg(RenderTracePlot(in_seconds, PlotFormat::Svg, QSize(1000, 400)));
    for (const char* label : {"seconds after the reference time", "2005-02-01 03:04:15.250 UTC",
                              "2005-02-01 03:04:25.250 UTC", "\n12\n", "\n14\n"}) {
        EXPECT_TRUE(seconds.text.contains(QString::fromUtf8(label))) << label;
    }
    EXPECT_FALSE(seconds.text.contains("03:04:16\n"));
}

TEST(TracePlot, ThePlayCursorStandsAtItsSample) {
    const auto shown = Show(testing::SacBuilder(), std::vector<float>(kSpikeTraceLength, 0.0f));
    const QSize size(1000, 300);
    const trace::TraceView whole = trace::WholeTraceView(kSpikeTraceLength);
    // As the window draws it while a sound plays: with the envelope it kept.
    const trace::Envelope envelope = PlotEnvelope(size, shown->Plot(), whole);
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    DrawTrace(painter, size, shown->Plot(), whole, envelope, 4000);
    painter.end();
    const QRect area = PlotArea(size);
    const int x = static_cast<int>(XAtSamplePosition(size, whole, 4000));
    EXPECT_EQ(XAtSamplePosition(size, whole, 4000), area.left() + area.width() / 4.0);
    bool found = false;
    for (int dx = -1; dx <= 1; ++dx) {
        found = found ||
                QColor(image.pixel(x + dx, area.bottom() - 3)).hue() == QColor(235, 120, 0).hue();
    }
    EXPECT_TRUE(found);
}

TEST(TracePlot, DamagedOrOddTracesStillDraw) {
    constexpr float kMax = std::numeric_limits<float>::max();
    constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        const char* what;
        testing::SacBuilder builder;
        std::vector<float> samples;
    };
    testing::SacBuilder far_off;  // time ticks far from zero, finer than a double there
    far_off.Real(sac::real::B, 1e30f).Real(sac::real::DELTA, 1e-6f);
    testing::SacBuilder no_delta;
    no_delta.Real(sac::real::DELTA, 0.0f).Real(sac::real::O, 5.0f);
    const Case cases[] = {
        {"far-off begin", far_off, {1.0f, 2.0f, 3.0f, 4.0f}},
        {"no sample interval", no_delta, std::vector<float>(5000, 1.0f)},
        {"extreme values", testing::SacBuilder(), {kMax, -kMax, kNaN, 0.0f, kMax}},
        {"only gaps", testing::SacBuilder(), std::vector<float>(3000, kNaN)},
        {"no samples", testing::SacBuilder(), {}},
    };
    for (const Case& c : cases) {
        const auto shown = Show(c.builder, c.samples);
        for (const QSize size : {QSize(640, 200), QSize(1, 1)}) {
            EXPECT_EQ(DecodedPng(shown->Plot(), size).size(), size) << c.what;
        }
    }
}

TEST(TracePlot, PlotsOfImpossibleSizesAreRefused_WrittenPlotsMatchTheirBytes) {
    const auto shown = Show(testing::SacBuilder(), SpikeTrace());
    for (const QSize size :
         {QSize(0, 500), QSize(1600, -1), QSize(kMaxPlotSide + 1, 10), QSize(10000, 5000)}) {
        EXPECT_THROW(RenderTracePlot(shown->Plot(), PlotFormat::Png, size), UserError);
    }
    const testing::TempDir folder;
    const auto path = folder / "STA.BHZ.png";
    WriteTracePlot(path, shown->Plot(), PlotFormat::Png, QSize(300, 120));
    const QByteArray bytes = RenderTracePlot(shown->Plot(), PlotFormat::Png, QSize(300, 120));
    EXPECT_EQ(testing::ReadFileBytes(path), std::vector<unsigned char>(bytes.begin(), bytes.end()));
}

}  // namespace
}  // namespace tremorline::plot
