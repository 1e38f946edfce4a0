// SPDX-License-Identifier: MIT
// Times what the user does most in the waveform window on a big SAC trace:
// dragging a selection, moving the view by the arrow keys and Page Up/Down,
// and scrolling with the bar. Each step is the event sent to the real window
// and the repaint it causes, measured together.
//
//   waveform_bench TRACE.sac [STEPS]
//
// Not a test: run it by hand (bench/bench_waveform.sh) on a quiet machine.
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/waveform_window.h"
#include "app/window_ops.h"
#include "plot/trace_plot.h"
#include "trace/loaded_trace.h"

namespace {

using Clock = std::chrono::steady_clock;

// Nothing plays: the window only asks where the sound is.
class SilentPlayer : public tremorline::app::SoundPlayer {
  public:
    void Play(tremorline::app::WaveImageBytes) override {}
    void Stop() override {}
    bool IsPlaying() const override { return false; }
    std::size_t HeardSample() const override { return 0; }
    std::string Problem() const override { return {}; }
};

struct Timing {
    double median_ms;
    double worst_ms;
};

// `step(k)` then a repaint, `steps` times.
Timing Measure(QWidget& window, int steps, const std::function<void(int)>& step) {
    std::vector<double> times;
    for (int k = 0; k < steps; ++k) {
        const auto start = Clock::now();
        step(k);
        window.repaint();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times.back()};
}

void Key(QWidget& window, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(&window, &press);
}

void Mouse(QWidget& window, QEvent::Type type, QPointF at, Qt::MouseButtons buttons) {
    QMouseEvent event(type, at, window.mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(&window, &event);
}

void Report(const char* what, const Timing& timing) {
    std::printf("%-34s median %6.2f ms   worst %6.2f ms\n", what, timing.median_ms,
                timing.worst_ms);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: waveform_bench TRACE.sac [STEPS]\n");
        return 2;
    }
    const int steps = argc > 2 ? std::atoi(argv[2]) : 41;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qt_argc = 1;
    QApplication application(qt_argc, argv);
    using namespace tremorline;

    auto loaded = trace::LoadSacTrace(argv[1]);
    if (!loaded) {
        std::fprintf(stderr, "waveform_bench: %s\n", trace::kUnknownDataType);
        return 1;
    }
    const auto shown = std::make_shared<const trace::LoadedTrace>(std::move(*loaded));
    const std::size_t count = shown->samples->Count();
    SilentPlayer player;
    app::WaveformWindow window(player);
    window.resize(1600, 560);
    window.show();
    const auto built = Clock::now();
    window.ShowTrace(shown);
    while (!window.SummaryReady()) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    std::printf("trace: %zu samples; summary ready after %.2f s\n", count,
                std::chrono::duration<double>(Clock::now() - built).count());
    window.repaint();

    const QRect area = plot::PlotArea(window.CanvasSize());
    const double y = area.center().y();
    const auto drag_selection = [&](int k) {
        if (k == 0) {
            Mouse(window, QEvent::MouseButtonPress, QPointF(area.left() + 10, y), Qt::LeftButton);
        }
        const double x = area.left() + 20 + (k * 37) % (area.width() - 40);
        Mouse(window, QEvent::MouseMove, QPointF(x, y), Qt::LeftButton);
    };
    Report("select by dragging, whole trace", Measure(window, steps, drag_selection));
    Mouse(window, QEvent::MouseButtonRelease, QPointF(area.left() + 30, y), Qt::NoButton);

    // About 1 % of the trace in view: each + halves the span.
    for (int zoom = 0; zoom < 7; ++zoom) {
        Key(window, Qt::Key_Plus);
    }
    std::printf("view: %.0f of %zu samples\n", window.View().span, count);
    Report("select by dragging, zoomed", Measure(window, steps, drag_selection));
    Mouse(window, QEvent::MouseButtonRelease, QPointF(area.left() + 30, y), Qt::NoButton);
    Report("Left / Right", Measure(window, steps, [&](int k) {
               Key(window, k % 4 < 2 ? Qt::Key_Right : Qt::Key_Left);
           }));
    Report("Page Down / Page Up", Measure(window, steps, [&](int k) {
               Key(window, k % 4 < 2 ? Qt::Key_PageDown : Qt::Key_PageUp);
           }));
    auto* bar = window.findChild<QScrollBar*>("scrWaveform");
    Report("scroll bar",
           Measure(window, steps, [&](int k) { bar->setValue((bar->maximum() / steps) * k); }));
    return 0;
}
