// SPDX-License-Identifier: MIT
// Takes docs/screenshot.png: the main window on the sample trace with the
// waveform window open beside it, grabbed from the X screen both are shown
// on. scripts/screenshot.sh runs it under xvfb-run from a scratch folder,
// so that no path of the machine shows.
//
//   window_screenshot TRACE OUTPUT.png

#include <QAction>
#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

#include "app/main_window.h"
#include "app/waveform_window.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: window_screenshot TRACE OUTPUT.png\n");
        return 2;
    }
    QTemporaryDir settings;  // the first-run sizes, whatever the user keeps
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    QCoreApplication::setOrganizationName("TremorlineScreenshot");

    tremorline::app::Form1 window;
    window.move(10, 10);
    window.show();
    window.StartUp(argv[1]);
    window.findChild<QAction*>("mnuWaveform")->trigger();
    auto* waveform = window.findChild<tremorline::app::WaveformWindow*>("frmWaveform");
    waveform->resize(760, window.height());
    waveform->move(window.frameGeometry().right() + 10, 10);
    if (!QTest::qWaitForWindowExposed(waveform) ||
        !QTest::qWaitFor([&] { return waveform->SummaryReady(); }, 10000)) {
        std::fprintf(stderr, "the waveform window did not come up\n");
        return 1;
    }
    QTest::qWait(500);  // both windows drawn at their places
    const QRect both =
        window.frameGeometry().united(waveform->frameGeometry()).adjusted(-10, -10, 10, 10);
    const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0, both.x(), both.y(),
                                                                      both.width(), both.height());
    if (shot.isNull() || !shot.save(argv[2])) {
        std::fprintf(stderr, "cannot grab or save the screenshot\n");
        return 1;
    }
    return 0;
}
