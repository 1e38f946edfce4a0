// SPDX-License-Identifier: MIT
// The waveform window on the offscreen platform: what it shows, how it
// follows the main window's loads, zooming and panning, and the play cursor.

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <QWheelEvent>
#include <QtTest>
#include <memory>
#include <vector>

#include "app/main_window.h"
#include "app/waveform_window.h"
#include "plot/trace_plot.h"
#include "support/fake_window.h"
#include "support/sac_builder.h"
#include "support/scratch_settings.h"
#include "support/temp_dir.h"
#include "trace/loaded_trace.h"

using tremorline::app::Form1;
using tremorline::app::WaveformWindow;
using tremorline::testing::FakePlayer;
using tremorline::testing::SacBuilder;
using tremorline::testing::TempDir;
namespace trace = tremorline::trace;

namespace {

std::filesystem::path WriteTrace(const TempDir& dir, const std::string& name, std::size_t length) {
    std::vector<float> samples(length);
    for (std::size_t i = 0; i < length; ++i) {
        samples[i] = static_cast<float>(i % 97);
    }
    SacBuilder().Samples(samples).WriteTo(dir / name);
    return dir / name;
}

std::shared_ptr<const trace::LoadedTrace> Load(const std::filesystem::path& path) {
    auto loaded = trace::LoadSacTrace(path);
    if (!loaded) {
        qFatal("cannot load a built trace");
    }
    return std::make_shared<const trace::LoadedTrace>(std::move(*loaded));
}

// For the next three seconds, answers the Open dialog with `path` and any
// message box with OK.
void AnswerDialogs(const std::filesystem::path& path) {
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, [path] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (!widget->isVisible()) {
                continue;
            }
            if (auto* dialog = qobject_cast<QFileDialog*>(widget)) {
                auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
                if (name != nullptr) {
                    name->setText(QString::fromStdString(path.string()));
                    QMetaObject::invokeMethod(dialog, "accept");
                }
            } else if (auto* box = qobject_cast<QMessageBox*>(widget)) {
                QMetaObject::invokeMethod(box, "accept");
            }
        }
    });
    timer->start(50);
    QTimer::singleShot(3000, timer, &QObject::deleteLater);
}

void Wheel(QWidget& widget, QPointF at, int angle) {
    QWheelEvent event(at, widget.mapToGlobal(at), QPoint(), QPoint(0, angle), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&widget, &event);
}

void Mouse(QWidget& widget, QEvent::Type type, QPointF at, Qt::MouseButtons buttons) {
    QMouseEvent event(type, at, widget.mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &event);
}

}  // namespace

class WaveformWindowTest : public QObject {
    Q_OBJECT

    tremorline::testing::ScratchSettings settings_{"waveform_window_test"};

  private slots:

    // View > Waveform opens the one window on the loaded trace; it follows a
    // completed Open, and a refused one leaves it as it was.
    void opensOnTheLoadedTraceAndFollowsOpen() {
        TempDir dir;
        const auto first = WriteTrace(dir, "first.sac", 5000);
        const auto second = WriteTrace(dir, "second.sac", 7000);
        std::ofstream(dir / "broken.sac") << "not a trace";
        Form1 window;
        window.StartUp(first.string());
        QAction* menu = window.findChild<QAction*>("mnuWaveform");
        QVERIFY(menu != nullptr);
        QVERIFY(!menu->shortcut().isEmpty());
        menu->trigger();
        auto* waveform = window.findChild<WaveformWindow*>("frmWaveform");
        QVERIFY(waveform != nullptr);
        QVERIFY(waveform->isVisible());
        QVERIFY(waveform->isWindow() && !waveform->isModal());
        QCOMPARE(waveform->windowTitle(), QString("first.sac"));
        QTRY_VERIFY(waveform->SummaryReady());
        QCOMPARE(waveform->View(), trace::WholeTraceView(5000));
        menu->trigger();  // still one window
        QCOMPARE(window.findChildren<WaveformWindow*>().size(), 1);

        AnswerDialogs(second);
        window.findChild<QAction*>("mnuItemOpen")->trigger();
        QCOMPARE(waveform->windowTitle(), QString("second.sac"));
        QTRY_VERIFY(waveform->SummaryReady());
        QCOMPARE(waveform->View(), trace::WholeTraceView(7000));

        AnswerDialogs(dir / "broken.sac");
        window.findChild<QAction*>("mnuItemOpen")->trigger();
        QCOMPARE(waveform->windowTitle(), QString("second.sac"));
        QVERIFY(waveform->Trace() != nullptr);
        QCOMPARE(waveform->Trace()->title, std::string("second.sac"));
    }

    // A summary still being built when another trace is shown is abandoned;
    // the newer trace is the one drawn, also once the first one's work has
    // ended.
    void anotherTraceMeanwhileReplacesTheOneBeingRead() {
        TempDir dir;
        FakePlayer player;
        WaveformWindow window(player);
        window.show();
        window.ShowTrace(Load(WriteTrace(dir, "long.sac", 3'000'000)));
        QVERIFY(!window.SummaryReady());
        window.ShowTrace(Load(WriteTrace(dir, "short.sac", 1000)));
        QTRY_VERIFY(window.SummaryReady());
        QCOMPARE(window.View(), trace::WholeTraceView(1000));
        // Showing a trace waits for the work before it; anything that work
        // delivered is queued by now, and runs here.
        QCoreApplication::processEvents();
        QCOMPARE(window.View(), trace::WholeTraceView(1000));
        window.ShowTrace(Load(dir / "long.sac"));  // closing while it reads
    }

    // The wheel zooms around the pointer, + zooms, a drag pans and Home
    // shows the whole trace again.
    void wheelKeysAndDragChangeTheVisibleSpan() {
        TempDir dir;
        FakePlayer player;
        WaveformWindow window(player);
        window.resize(800, 300);
        window.show();
        window.ShowTrace(Load(WriteTrace(dir, "trace.sac", 100'000)));
        QTRY_VERIFY(window.SummaryReady());
        const trace::TraceView whole = window.View();

        const QRect area = tremorline::plot::PlotArea(window.size());
        const QPointF pointer(area.left() + area.width() * 0.25, area.center().y());
        const double under =
            tremorline::plot::SamplePositionAtX(window.size(), window.View(), pointer.x());
        Wheel(window, pointer, 240);
        QVERIFY(window.View().span < whole.span);
        QVERIFY(
            qAbs(tremorline::plot::SamplePositionAtX(window.size(), window.View(), pointer.x()) -
                 under) < window.View().span / area.width() + 1);
        const double wheeled = window.View().span;
        Wheel(window, pointer, -120);
        QVERIFY(window.View().span > wheeled);

        QTest::keyClick(&window, Qt::Key_Plus);
        const trace::TraceView zoomed = window.View();
        QVERIFY(zoomed.span < wheeled);
        Mouse(window, QEvent::MouseButtonPress, area.center(), Qt::LeftButton);
        Mouse(window, QEvent::MouseMove, area.center() + QPointF(100, 0), Qt::LeftButton);
        Mouse(window, QEvent::MouseButtonRelease, area.center() + QPointF(100, 0), Qt::NoButton);
        QVERIFY(window.View().first < zoomed.first);  // dragged right: earlier samples
        QCOMPARE(window.View().span, zoomed.span);

        QTest::keyClick(&window, Qt::Key_Home);
        QCOMPARE(window.View(), whole);
    }

    // The cursor follows the player's position while it plays, stays where
    // the sound stopped, and is drawn only over the trace the sound was made
    // from.
    void theCursorFollowsThePlayerOnItsOwnTrace() {
        TempDir dir;
        FakePlayer player;
        WaveformWindow window(player);
        window.show();
        const auto sounding = Load(WriteTrace(dir, "trace.sac", 50'000));
        window.ShowTrace(sounding);
        QTRY_VERIFY(window.SummaryReady());
        QVERIFY(!window.CursorSample().has_value());

        player.playing = true;
        player.heard = 100;
        window.FollowPlayer(sounding);
        QCOMPARE(window.CursorSample(), std::optional<std::size_t>(100));
        for (const std::size_t heard : {2000u, 2300u, 9000u}) {
            player.heard = heard;  // the sound goes on, nobody tells the window
            QTRY_COMPARE(window.CursorSample(), std::optional<std::size_t>(heard));
        }

        // Another trace on show while the sound goes on: no cursor over it.
        window.ShowTrace(Load(WriteTrace(dir, "other.sac", 50'000)));
        window.FollowPlayer(sounding);
        QTRY_VERIFY(window.SummaryReady());
        player.heard = 12'000;
        const int asked = player.asked;
        QTRY_VERIFY(player.asked > asked + 2);  // the window has looked, and looked again
        QVERIFY(!window.CursorSample().has_value());
        window.ShowTrace(sounding);
        window.FollowPlayer(sounding);
        QTRY_COMPARE(window.CursorSample(), std::optional<std::size_t>(12'000));

        player.playing = false;  // stopped
        player.heard = 30'000;
        QTRY_COMPARE(window.CursorSample(), std::optional<std::size_t>(30'000));
    }
};

QTEST_MAIN(WaveformWindowTest)
#include "waveform_window_test.moc"
