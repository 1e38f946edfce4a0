// SPDX-License-Identifier: MIT
// Times the spectrogram on a big SAC trace, loaded as the program loads it:
// building the levels of a day of 100-sample-a-second data and of the whole
// trace, and computing and drawing views of each as the window does.
//
//   spectrogram_bench TRACE.sac [RUNS]
//
// Not a test: run it by hand (bench/bench_spectrogram.sh) on a quiet machine.
// Views are timed in the processor time of the drawing thread, which a busy
// machine inflates far less than the time on the clock; builds both ways.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <limits>
#include <span>
#include <vector>

#include <QImage>
#include <QPainter>

#include "dsp/spectrogram.h"
#include "plot/spectrogram_plot.h"
#include "trace/loaded_trace.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace tremorline;

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

double Best(int runs, const std::function<void()>& work) {
    double best = std::numeric_limits<double>::infinity();
    for (int run = 0; run < runs; ++run) {
        const auto start = Clock::now();
        work();
        best = std::min(best, Seconds(Clock::now() - start));
    }
    return best;
}

double CpuSeconds(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Median of `runs` timings in the calling thread's processor time.
double Median(int runs, const std::function<void()>& work) {
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        const double start = CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
        work();
        times.push_back(CpuSeconds(CLOCK_THREAD_CPUTIME_ID) - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// The first `count` samples of another source.
class FirstSamples final : public SampleSource {
  public:
    FirstSamples(const SampleSource& whole, std::size_t count) : whole_(whole), count_(count) {}
    std::size_t Count() const override { return count_; }
    void Read(std::size_t first, std::span<float> out) const override { whole_.Read(first, out); }

  private:
    const SampleSource& whole_;
    std::size_t count_;
};

void TimeViews(const char* name, const trace::LoadedTrace& loaded, const SampleSource& samples,
               const dsp::Spectrogram& spectrogram) {
    const QSize panel(1600, 400);
    const auto total = static_cast<double>(samples.Count());
    const double per_second = 1 / spectrogram.Layout().delta;
    struct View {
        const char* name;
        trace::TraceView view;
    };
    const View views[] = {
        {"full view", trace::WholeTraceView(samples.Count())},
        {"1% view", {total * 0.4321, total * 0.01}},
        {"ten-minute view", {total * 0.5, 600 * per_second}},
        {"one-minute view", {total * 0.6, 60 * per_second}},
        {"ten-second view", {total * 0.7, 10 * per_second}},
    };
    const trace::MinMaxSummary summary;  // the panel's axes need none of it
    const plot::PlotTrace trace{samples, summary, loaded.header, loaded.info, "bench"};
    const plot::SpectrogramPanel shown{spectrogram, samples, spectrogram.DataLimits()};
    QImage image(panel, QImage::Format_RGB32);
    std::printf("%s, panel of 1600 x 400 (processor time):\n", name);
    for (const View& v : views) {
        const double picture = Median(
            11, [&] { static_cast<void>(plot::SpectrogramPictureFor(panel, shown, v.view)); });
        const double redraw = Median(11, [&] {
            QPainter painter(&image);
            plot::DrawSpectrogram(painter, panel, trace, shown, v.view);
        });
        const dsp::SpectrogramPicture kept = plot::SpectrogramPictureFor(panel, shown, v.view);
        const double cursor = Median(11, [&] {
            QPainter painter(&image);
            plot::DrawSpectrogram(painter, panel, trace, shown, v.view, kept, samples.Count() / 2);
        });
        std::printf("  %-16s redraw %6.2f ms (picture %.2f ms; with a kept picture %.2f ms)\n",
                    v.name, redraw * 1e3, picture * 1e3, cursor * 1e3);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: spectrogram_bench TRACE.sac [RUNS]\n");
        return 2;
    }
    const int runs = argc > 2 ? std::atoi(argv[2]) : 3;
    const plot::OffscreenGuiApplication application;
    const auto loaded = trace::LoadSacTrace(argv[1]);
    if (!loaded) {
        std::fprintf(stderr, "spectrogram_bench: %s\n", trace::kUnknownDataType);
        return 1;
    }
    const SampleSource& source = *loaded->samples;
    const double delta = loaded->header.reals[0];
    std::printf("trace: %zu samples, DELTA %g s\n", source.Count(), delta);

    const std::size_t day_samples =
        std::min(source.Count(), static_cast<std::size_t>(86400 / delta));
    const FirstSamples day(source, day_samples);
    const dsp::SpectrogramLayout day_layout = dsp::ChooseSpectrogramLayout({}, delta, day.Count());
    dsp::Spectrogram day_spectrogram = dsp::BuildSpectrogram(day, day_layout);
    const double day_build =
        Best(runs, [&] { day_spectrogram = dsp::BuildSpectrogram(day, day_layout); });
    std::printf("a day (%zu samples), window %zu, hop %zu: build %.3f s (best of %d), %.1f MB\n",
                day.Count(), day_layout.window, day_layout.hop, day_build, runs,
                double(day_spectrogram.MemoryBytes()) / 1e6);
    // On one thread the build runs in this one, so its processor time is
    // what it costs a quiet core.
    double one_thread_cpu = std::numeric_limits<double>::infinity();
    const double day_one_thread = Best(runs, [&] {
        const double start = CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
        day_spectrogram = dsp::BuildSpectrogram(day, day_layout, Progress(), {1});
        one_thread_cpu = std::min(one_thread_cpu, CpuSeconds(CLOCK_THREAD_CPUTIME_ID) - start);
    });
    std::printf("  the same on one thread: %.3f s (processor time %.3f s)\n", day_one_thread,
                one_thread_cpu);
    TimeViews("a day", *loaded, day, day_spectrogram);

    const dsp::SpectrogramLayout layout = dsp::ChooseSpectrogramLayout({}, delta, source.Count());
    const auto start = Clock::now();
    const dsp::Spectrogram whole = dsp::BuildSpectrogram(source, layout);
    std::printf(
        "the whole trace, window %zu, hop %zu: build %.3f s, %.1f MB (%zu windows to an "
        "entry)\n",
        layout.window, layout.hop, Seconds(Clock::now() - start), double(whole.MemoryBytes()) / 1e6,
        whole.Levels().front().frames_per_entry);
    TimeViews("the whole trace", *loaded, source, whole);
    return 0;
}
