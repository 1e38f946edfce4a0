// SPDX-License-Identifier: MIT
// How long the window's long steps take on a big trace, and for how long at
// most each holds the window's thread. A timer ticks every 2 ms on that
// thread while the step runs; the longest gap between two ticks is the
// longest time the window could not draw or answer. Message boxes are
// answered as they come up; Play Sound runs without an audio output, as
// only its preparation is measured.
//
//   bench_window_steps TRACE
//
// bench/bench_window.sh makes the trace and runs this on the offscreen
// platform.

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/main_window.h"

namespace {

struct Measured {
    double seconds = 0;
    double longest_gap_ms = 0;
    // Nearly every gap is shorter than this: one long gap is a stall, many
    // long ones are work done on the window's thread.
    double gap_99_ms = 0;
};

Measured Measure(const std::function<void()>& step) {
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;
    std::vector<qint64> gaps;
    QTimer ticker;
    ticker.setInterval(2);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - last);
        gaps.push_back(now - last);
        last = now;
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            box->done(QMessageBox::Yes);
        }
    });
    Measured measured;
    QTimer::singleShot(0, [&] {
        clock.start();
        ticker.start();
        step();
        const qint64 end = clock.nsecsElapsed();
        longest = std::max(longest, end - last);
        measured.seconds = static_cast<double>(end) / 1e9;
        ticker.stop();
        QCoreApplication::exit(0);
    });
    QCoreApplication::exec();
    measured.longest_gap_ms = static_cast<double>(longest) / 1e6;
    if (!gaps.empty()) {
        std::sort(gaps.begin(), gaps.end());
        measured.gap_99_ms = static_cast<double>(gaps[gaps.size() * 99 / 100]) / 1e6;
    }
    return measured;
}

template <typename T>
T* Find(const QObject& parent, const char* name) {
    T* found = parent.findChild<T*>(name);
    if (found == nullptr) {
        std::fprintf(stderr, "no control named %s\n", name);
        std::exit(2);
    }
    return found;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_window_steps TRACE\n");
        return 2;
    }
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    tremorline::app::Form1 window;
    window.show();
    window.StartUp(argv[1]);

    const struct {
        const char* name;
        std::function<void()> run;
    } steps[] = {
        // Nothing but the event loop for two seconds: what the machine's
        // own scheduling holds the thread for, the floor of the rest.
        {"(idle, 2 s)",
         [] {
             QEventLoop idle;
             QTimer::singleShot(2000, &idle, &QEventLoop::quit);
             idle.exec();
         }},
        {"Set Up Sound", [&] { Find<QPushButton>(window, "Command1")->click(); }},
        {"Play Sound",
         [&] {
             Find<QComboBox>(window, "Combo1")->setEditText("4000");
             Find<QPushButton>(window, "PlaySound")->click();
         }},
        {"Save Sound", [&] { Find<QPushButton>(window, "SaveWAVE")->click(); }},
        {"Make PSN", [&] { Find<QAction>(window, "mnuMakePSN")->trigger(); }},
    };
    std::printf("%-14s %10s %30s %12s\n", "step", "seconds", "window's thread held, ms: most",
                "99% under");
    for (const auto& step : steps) {
        const Measured measured = Measure(step.run);
        std::printf("%-14s %10.2f %30.1f %12.1f\n", step.name, measured.seconds,
                    measured.longest_gap_ms, measured.gap_99_ms);
    }
    return 0;
}
