// SPDX-License-Identifier: MIT
// Times the waveform drawing on a big SAC trace, loaded as the program loads
// it: reading the samples, building the min/max summary, redrawing views of
// it at 1600 x 500, and the whole PNG against a plain read-scan-draw program
// in the same run.
//
//   plot_bench TRACE.sac [RUNS]
//
// Not a test: run it by hand (bench/bench_plot.sh) on a quiet machine.
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include <QBuffer>
#include <QImage>
#include <QPainter>

#include "plot/plot_output.h"
#include "plot/trace_plot.h"
#include "sac/sac_header.h"
#include "trace/loaded_trace.h"
#include "trace/minmax_summary.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// Best of `runs` timings of `work`, in seconds.
double Best(int runs, const std::function<void()>& work) {
    double best = std::numeric_limits<double>::infinity();
    for (int run = 0; run < runs; ++run) {
        const auto start = Clock::now();
        work();
        best = std::min(best, Seconds(Clock::now() - start));
    }
    return best;
}

// Median of `runs` timings, in seconds (redraws: what a user sees usually).
double Median(int runs, const std::function<void()>& work) {
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        const auto start = Clock::now();
        work();
        times.push_back(Seconds(Clock::now() - start));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// The plain program the drawing is held against: read every sample, take
// each column's min and max straight from them, draw the bars, write a PNG.
QByteArray PlainPng(const tremorline::SampleSource& source, QSize size) {
    const std::vector<float> samples = tremorline::ReadAllSamples(source);
    const auto width = static_cast<std::size_t>(size.width());
    std::vector<float> low(width, std::numeric_limits<float>::infinity());
    std::vector<float> high(width, -std::numeric_limits<float>::infinity());
    for (std::size_t column = 0; column < width; ++column) {
        const std::size_t first = column * samples.size() / width;
        const std::size_t last = (column + 1) * samples.size() / width;
        for (std::size_t i = first; i < last; ++i) {
            low[column] = std::min(low[column], samples[i]);
            high[column] = std::max(high[column], samples[i]);
        }
    }
    const float all_low = *std::min_element(low.begin(), low.end());
    const float all_high = *std::max_element(high.begin(), high.end());
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    const double scale = (size.height() - 1) / std::max(1e-30, double(all_high) - all_low);
    for (std::size_t x = 0; x < width; ++x) {
        const int top = static_cast<int>((all_high - high[x]) * scale);
        const int bottom = static_cast<int>((all_high - low[x]) * scale);
        painter.fillRect(static_cast<int>(x), top, 1, bottom - top + 1, Qt::black);
    }
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: plot_bench TRACE.sac [RUNS]\n");
        return 2;
    }
    const int runs = argc > 2 ? std::atoi(argv[2]) : 3;
    using namespace tremorline;
    const tremorline::plot::OffscreenGuiApplication application;

    const auto loaded = trace::LoadSacTrace(argv[1]);
    if (!loaded) {
        std::fprintf(stderr, "plot_bench: %s\n", trace::kUnknownDataType);
        return 1;
    }
    const sac::SacHeader& header = loaded->header;
    const trace::TraceInfo& info = loaded->info;
    const SampleSource& source = *loaded->samples;  // the program's own SAC source
    const std::size_t count = source.Count();
    std::printf("trace: %zu samples, DELTA %g s\n", count, double(header.reals[0]));

    // Read and build take turns, so that a busy machine slows both alike;
    // the read uses the build's stretch of one coarse block.
    std::vector<float> stretch(trace::MinMaxSummary::kCoarseBlock);
    std::optional<trace::MinMaxSummary> summary;
    double read = std::numeric_limits<double>::infinity();
    double build = std::numeric_limits<double>::infinity();
    for (int run = 0; run < runs; ++run) {
        read = std::min(read, Best(1, [&] {
                            for (std::size_t first = 0; first < count; first += stretch.size()) {
                                const std::size_t length = std::min(stretch.size(), count - first);
                                source.Read(first, std::span<float>(stretch.data(), length));
                            }
                        }));
        build = std::min(build, Best(1, [&] { summary = trace::BuildMinMaxSummary(source); }));
    }
    std::printf("read samples       %8.3f s   (best of %d, taking turns with the build)\n", read,
                runs);
    std::printf("build summary      %8.3f s   %.2fx the read\n", build, build / read);
    std::printf("summary memory     %8.2f MB  1/%.0f of the samples\n",
                double(summary->MemoryBytes()) / 1e6,
                double(count) * 4 / double(summary->MemoryBytes()));

    const QSize size(plot::kDefaultPlotWidth, plot::kDefaultPlotHeight);
    const auto total = static_cast<double>(count);
    const double per_second = 1.0 / double(header.reals[0]);
    struct View {
        const char* name;
        trace::TraceView view;
    };
    const View views[] = {
        {"full view", trace::WholeTraceView(count)},
        {"1% view", {total * 0.4321, total * 0.01}},
        {"one-second view", {total * 0.6789, per_second}},
    };
    const auto width = static_cast<std::size_t>(plot::PlotArea(size).width());
    QImage image(size, QImage::Format_RGB32);
    // Redraws with the samples read from the file at every column edge, then
    // with the samples held in memory, as a loaded trace may hold them.
    const MemorySampleSource in_memory(ReadAllSamples(source));
    for (const SampleSource* samples : {static_cast<const SampleSource*>(&source),
                                        static_cast<const SampleSource*>(&in_memory)}) {
        std::printf("samples %s:\n", samples == &source ? "read from the file" : "in memory");
        const plot::PlotTrace drawn{*samples, *summary, header, info, "bench"};
        for (const View& v : views) {
            const double envelope = Median(21, [&] {
                static_cast<void>(trace::ComputeEnvelope(*samples, *summary, v.view, width));
            });
            const double redraw = Median(21, [&] {
                QPainter painter(&image);
                plot::DrawTrace(painter, size, drawn, v.view);
            });
            const trace::Envelope kept = plot::PlotEnvelope(size, drawn, v.view);
            const double cursor = Median(21, [&] {
                QPainter painter(&image);
                plot::DrawTrace(painter, size, drawn, v.view, kept, count / 2);
            });
            std::printf(
                "  redraw %-16s %6.2f ms (envelope %.2f ms; with a kept envelope %.2f ms)\n",
                v.name, redraw * 1e3, envelope * 1e3, cursor * 1e3);
        }
    }

    double plain = std::numeric_limits<double>::infinity();
    double ours = std::numeric_limits<double>::infinity();
    for (int run = 0; run < runs; ++run) {
        plain = std::min(plain, Best(1, [&] { static_cast<void>(PlainPng(source, size)); }));
        ours = std::min(
            ours, Best(1, [&] {
                const auto built = trace::BuildMinMaxSummary(source);
                const plot::PlotTrace fresh{source, *built, header, info, "bench"};
                static_cast<void>(plot::RenderTracePlot(fresh, plot::PlotFormat::Png, size));
            }));
    }
    std::printf("PNG plain program  %8.3f s\n", plain);
    std::printf("PNG summary+draw   %8.3f s   %.2fx the plain program\n", ours, ours / plain);
    return 0;
}
