// SPDX-License-Identifier: MIT
// The waveform window on the offscreen platform: what it shows, how it
// follows the main window's loads, zooming and panning, and the play cursor.

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QScrollBar>
#include <QTimer>
#include <QUrl>
#include <QWheelEvent>
#include <QtTest>
#include <algorithm>
#include <bit>
#include <functional>
#include <memory>
#include <stop_token>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/waveform_host.h"
#include "app/waveform_window.h"
#include "common/byte_order.h"
#include "dsp/filtered_trace.h"
#include "dsp/sac_output.h"
#include "plot/trace_plot.h"
#include "sound/make_sound.h"
#include "sound/wave_image.h"
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

void Mouse(QWidget& widget, QEvent::Type type, QPointF at, Qt::MouseButtons buttons,
           Qt::MouseButton button = Qt::LeftButton,
           Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QMouseEvent event(type, at, widget.mapToGlobal(at), button, buttons, modifiers);
    QCoreApplication::sendEvent(&widget, &event);
}

// A press, a move and a release: a drag from `from` to `to`.
void Drag(QWidget& widget, QPointF from, QPointF to, Qt::MouseButton button,
          Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    Mouse(widget, QEvent::MouseButtonPress, from, button, button, modifiers);
    Mouse(widget, QEvent::MouseMove, to, button, Qt::NoButton, modifiers);
    Mouse(widget, QEvent::MouseButtonRelease, to, Qt::NoButton, button, modifiers);
}

// The main window's side of the waveform window, recording what it is asked.
struct FakeHost : tremorline::app::WaveformHost {
    struct Request {
        trace::SampleSpan span;
        bool loop;
    };
    std::vector<Request> plays;
    int stops = 0;
    bool playing = false;

    void PlaySpan(const std::shared_ptr<const trace::LoadedTrace>&, trace::SampleSpan span,
                  bool loop) override {
        plays.push_back({span, loop});
        playing = true;
    }
    void StopPlaying() override {
        ++stops;
        playing = false;
    }
    bool IsPlaying() const override { return playing; }
    std::optional<std::int32_t> SoundRate() const override { return 8000; }
    // Exports run here as in the main window's long step; with `cancel`,
    // as if the user pressed Cancel at once.
    std::vector<std::string> exports;
    bool cancel = false;
    void RunExport(QWidget*, const std::string& title,
                   const std::function<void(const tremorline::Progress&)>& work) override {
        exports.push_back(title);
        std::stop_source stop;
        if (cancel) {
            stop.request_stop();
        }
        work(tremorline::Progress(stop.get_token()));
    }
};

// A waveform window of 800 x 300 on show, played through a FakeHost, its
// summary of trace.sac (10 000 samples) on its way.
struct HostedWindow {
    HostedWindow() : window(player, nullptr, &host) {
        window.resize(800, 300);
        window.show();
        window.ShowTrace(Load(WriteTrace(dir, "trace.sac", 10'000)));
    }
    TempDir dir;
    FakePlayer player;
    FakeHost host;
    WaveformWindow window;
};

// Word `index` of a little-endian SAC file's bytes.
std::uint32_t Word(const std::vector<unsigned char>& bytes, std::size_t index) {
    return tremorline::LoadLE32(bytes.data() + 4 * index);
}

float Real(const std::vector<unsigned char>& bytes, std::size_t index) {
    return std::bit_cast<float>(Word(bytes, index));
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

        // A file dropped on the main window is followed as an Open is.
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(first.string()))});
        const QPoint at = window.findChild<QWidget*>("Text1")->geometry().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&window, &enter);
        QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&window, &drop);
        QTRY_COMPARE(waveform->windowTitle(), QString("first.sac"));
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

        const QSize canvas = window.CanvasSize();
        const QRect area = tremorline::plot::PlotArea(canvas);
        const QPointF pointer(area.left() + area.width() * 0.25, area.center().y());
        const double under =
            tremorline::plot::SamplePositionAtX(canvas, window.View(), pointer.x());
        Wheel(window, pointer, 240);
        QVERIFY(window.View().span < whole.span);
        QVERIFY(qAbs(tremorline::plot::SamplePositionAtX(canvas, window.View(), pointer.x()) -
                     under) < window.View().span / area.width() + 1);
        const double wheeled = window.View().span;
        Wheel(window, pointer, -120);
        QVERIFY(window.View().span > wheeled);

        QTest::keyClick(&window, Qt::Key_Plus);
        const trace::TraceView zoomed = window.View();
        QVERIFY(zoomed.span < wheeled);
        // Dragged right (middle button, or Shift and the left): earlier samples.
        Drag(window, area.center(), area.center() + QPointF(100, 0), Qt::MiddleButton);
        const trace::TraceView dragged = window.View();
        QVERIFY(dragged.first < zoomed.first);
        QCOMPARE(dragged.span, zoomed.span);
        Drag(window, area.center(), area.center() + QPointF(100, 0), Qt::LeftButton,
             Qt::ShiftModifier);
        QVERIFY(window.View().first < dragged.first);
        QVERIFY(!window.Selection());

        // Keys move by a tenth of the view or a whole one; so does the bar.
        struct Move {
            Qt::Key key;
            double views;
        };
        for (const Move move : {Move{Qt::Key_Right, 0.1}, Move{Qt::Key_Left, -0.1},
                                Move{Qt::Key_PageDown, 1}, Move{Qt::Key_PageUp, -1}}) {
            const trace::TraceView before = window.View();
            QTest::keyClick(&window, move.key);
            QVERIFY(qAbs(window.View().first - (before.first + move.views * before.span)) < 1e-6);
            QCOMPARE(window.View().span, before.span);
        }
        auto* bar = window.findChild<QScrollBar*>("scrWaveform");
        QVERIFY(bar != nullptr && bar->isVisible());
        bar->setValue(bar->maximum());
        QVERIFY(qAbs(window.View().first + window.View().span - 100'000) < 1);
        QTest::keyClick(&window, Qt::Key_PageDown);  // held at the end
        QVERIFY(qAbs(window.View().first + window.View().span - 100'000) < 1);

        QTest::keyClick(&window, Qt::Key_Home);
        QCOMPARE(window.View(), whole);
        QCOMPARE(bar->value(), 0);
    }

    // A left drag selects the samples it spans and says when they are; a
    // click clears it and leaves an insertion point. Space plays what is
    // selected, or from the insertion point to the end; Shift+Space loops the
    // selection; Space while playing and Escape stop. A new trace forgets
    // both.
    void selectionAndKeysPlayTheRightSamples() {
        HostedWindow hosted;
        TempDir& dir = hosted.dir;
        FakeHost& host = hosted.host;
        WaveformWindow& window = hosted.window;
        QTRY_VERIFY(window.SummaryReady());
        const QSize canvas = window.CanvasSize();
        const QRect area = tremorline::plot::PlotArea(canvas);
        const auto x_of = [&](double position) {
            return tremorline::plot::XAtSamplePosition(canvas, window.View(), position);
        };
        const double y = area.center().y();

        QTest::keyClick(&window, Qt::Key_Space);  // nothing marked: the whole view
        QCOMPARE(host.plays.size(), std::size_t{1});
        QCOMPARE(host.plays[0].span, (trace::SampleSpan{0, 10'000}));
        QTest::keyClick(&window, Qt::Key_Space);  // playing: stops
        QCOMPARE(host.stops, 1);

        Drag(window, QPointF(x_of(2000.3), y), QPointF(x_of(5999.7), y), Qt::LeftButton);
        const auto selected = window.Selection();
        QVERIFY(selected.has_value());
        // Whole samples between the edges, give or take a pixel's worth.
        QVERIFY(qAbs(static_cast<double>(selected->first) - 2001) <= 15);
        QVERIFY(qAbs(static_cast<double>(selected->first + selected->count) - 5999) <= 15);
        const QString said = window.findChild<QLabel*>("lblSelection")->text();
        QVERIFY2(said.startsWith("Selection 2005-02-01 03:04:") && said.contains(" samples"),
                 qPrintable(said));

        QTest::keyClick(&window, Qt::Key_Space);
        QCOMPARE(host.plays.back().span, *selected);
        QVERIFY(!host.plays.back().loop);
        QTest::keyClick(&window, Qt::Key_Escape);
        QCOMPARE(host.stops, 2);
        QTest::keyClick(&window, Qt::Key_Space, Qt::ShiftModifier);
        QCOMPARE(host.plays.back().span, *selected);
        QVERIFY(host.plays.back().loop);
        QTest::keyClick(&window, Qt::Key_Escape);

        // A click clears the selection and plays from its point on.
        Mouse(window, QEvent::MouseButtonPress, QPointF(x_of(7000), y), Qt::LeftButton);
        Mouse(window, QEvent::MouseButtonRelease, QPointF(x_of(7000), y), Qt::NoButton);
        QVERIFY(!window.Selection());
        QVERIFY(window.InsertionPoint().has_value());
        QVERIFY(qAbs(static_cast<double>(*window.InsertionPoint()) - 7000) <= 15);
        QTest::keyClick(&window, Qt::Key_Space);
        QCOMPARE(host.plays.back().span,
                 (trace::SampleSpan{*window.InsertionPoint(), 10'000 - *window.InsertionPoint()}));
        QTest::keyClick(&window, Qt::Key_Space, Qt::ShiftModifier);  // a loop needs a selection
        QCOMPARE(host.plays.size(), std::size_t{4});

        Drag(window, QPointF(x_of(100), y), QPointF(x_of(900), y), Qt::LeftButton);
        QVERIFY(window.Selection());
        window.ShowTrace(Load(WriteTrace(dir, "other.sac", 3000)));
        QVERIFY(!window.Selection() && !window.InsertionPoint());
        QVERIFY(window.findChild<QLabel*>("lblSelection")->text().isEmpty());
    }

    // The selection is exported as the sound of just its samples, or as a
    // SAC file of them, under a name after the trace and the span; the view
    // as a picture.
    void exportsTheSelectionAndTheView() {
        HostedWindow hosted;
        TempDir& dir = hosted.dir;
        FakeHost& host = hosted.host;
        WaveformWindow& window = hosted.window;
        QTRY_VERIFY(window.SummaryReady());
        const QSize canvas = window.CanvasSize();
        const QRect area = tremorline::plot::PlotArea(canvas);
        const auto x_of = [&](double position) {
            return tremorline::plot::XAtSamplePosition(canvas, window.View(), position);
        };
        Drag(window, QPointF(x_of(1000), area.center().y()), QPointF(x_of(3000), area.center().y()),
             Qt::LeftButton);
        const trace::SampleSpan span = *window.Selection();

        QStringList proposed;
        std::filesystem::path target = dir / "chosen.wav";
        window.SetSaveFileChooser([&](const QString&, const QString& name, const QString&) {
            proposed << name;
            return std::optional<std::filesystem::path>(target);
        });
        window.ExportSound();
        QVERIFY2(
            proposed.back().endsWith(".wav") && proposed.back().contains("/trace_20050201T0304"),
            qPrintable(proposed.back()));

        // The same samples as a trace of their own, saved at the same rate.
        std::vector<float> part;
        for (std::size_t i = span.first; i < span.first + span.count; ++i) {
            part.push_back(static_cast<float>(i % 97));
        }
        TempDir other;
        SacBuilder().Samples(part).WriteTo(other / "trace.sac");
        auto sound = tremorline::sound::BuildSound(*Load(other / "trace.sac"), {});
        tremorline::sound::SetPlayRate(sound.header, 8000);
        tremorline::sound::WriteWaveFile(other / "expected.wav", sound.header, sound.wave_data);
        QCOMPARE(tremorline::testing::ReadFileBytes(target),
                 tremorline::testing::ReadFileBytes(other / "expected.wav"));

        // As SAC: just those samples, with the span's B, E, NPTS and levels
        // and the rest of the trace file's header.
        target = dir / "chosen.sac";
        window.ExportSac();
        QVERIFY2(
            proposed.back().endsWith(".sac") && proposed.back().contains("/trace_20050201T0304"),
            qPrintable(proposed.back()));
        const auto original = tremorline::testing::ReadFileBytes(dir / "trace.sac");
        const auto cut = tremorline::testing::ReadFileBytes(target);
        constexpr std::size_t kSamplesAt = 632 / 4;
        QCOMPARE(cut.size(), 632 + 4 * span.count);
        QVERIFY(std::equal(cut.begin() + 632, cut.end(),
                           original.begin() + 632 + 4 * static_cast<std::ptrdiff_t>(span.first)));
        const double delta = Real(original, 0);
        const auto begin = static_cast<float>(static_cast<double>(Real(original, 5)) +
                                              static_cast<double>(span.first) * delta);
        QCOMPARE(Real(cut, 5), begin);
        QCOMPARE(Real(cut, 6), static_cast<float>(static_cast<double>(begin) +
                                                  static_cast<double>(span.count - 1) * delta));
        QCOMPARE(Word(cut, 79), static_cast<std::uint32_t>(span.count));
        QCOMPARE(Real(cut, 1), 0.0f);   // DEPMIN: the span holds a whole cycle of 0 to 96
        QCOMPARE(Real(cut, 2), 96.0f);  // DEPMAX
        for (std::size_t w = 0; w < kSamplesAt; ++w) {
            if (w != 1 && w != 2 && w != 5 && w != 6 && w != 56 && w != 79) {
                QCOMPARE(Word(cut, w), Word(original, w));
            }
        }

        // Drawn filtered, the span's samples are those of the whole trace
        // filtered, as sac --filter writes them.
        const auto loaded = Load(dir / "trace.sac");
        tremorline::dsp::FilterRequest local;
        local.kind = tremorline::dsp::FilterKind::BandPass;
        local.low = 1;
        local.high = 10;
        const tremorline::dsp::TraceFilter filter =
            tremorline::dsp::FixFilterForTrace(*loaded, local);
        window.ShowDrawn({std::make_shared<const trace::LoadedTrace>(
                              tremorline::dsp::FilteredTrace(*loaded, filter, {})),
                          filter.Description(),
                          tremorline::app::AppliedFilter{local, std::nullopt}});
        QTRY_VERIFY(window.SummaryReady());
        QCOMPARE(window.Selection(), std::optional<trace::SampleSpan>(span));
        target = dir / "filtered.sac";
        window.ExportSac();
        TempDir whole;
        tremorline::dsp::WriteSacOutput(*loaded, filter, whole.path(),
                                        tremorline::dsp::ExistingOutput::Replace, {}, {});
        const auto all = tremorline::testing::ReadFileBytes(whole / "trace.sac");
        const auto filtered = tremorline::testing::ReadFileBytes(target);
        QCOMPARE(filtered.size(), 632 + 4 * span.count);
        QVERIFY(std::equal(filtered.begin() + 632, filtered.end(),
                           all.begin() + 632 + 4 * static_cast<std::ptrdiff_t>(span.first)));
        QVERIFY(Real(filtered, 2) < 96.0f);

        // Both ran as long steps; a cancelled one leaves no file and says
        // nothing.
        QCOMPARE(host.exports.size(), std::size_t{3});
        host.cancel = true;
        target = dir / "cancelled.sac";
        window.ExportSac();
        QVERIFY(!std::filesystem::exists(target));
        target = dir / "cancelled.wav";
        window.ExportSound();
        QVERIFY(!std::filesystem::exists(target));
        QCOMPARE(host.exports.size(), std::size_t{5});
        host.cancel = false;

        // The trace file itself is never replaced.
        target = dir / "trace.sac";
        AnswerDialogs({});
        window.ExportSac();
        QCOMPARE(tremorline::testing::ReadFileBytes(target), original);

        target = dir / "view.svg";
        window.ExportPicture();
        QVERIFY(tremorline::testing::ReadFileBytes(target).size() > 100);
        QVERIFY(QFile(QString::fromStdString(target.string())).open(QIODevice::ReadOnly));
        target = dir / "view.png";
        window.ExportPicture();
        QImage picture;
        QVERIFY(picture.load(QString::fromStdString(target.string()), "PNG"));
        QCOMPARE(picture.size(), canvas);
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

        // Zoomed in, the view turns a page when the cursor leaves it...
        for (int zoom = 0; zoom < 3; ++zoom) {
            QTest::keyClick(&window, Qt::Key_Plus);
        }
        const trace::TraceView page = window.View();
        window.FollowPlayer(sounding);  // a new play
        player.heard = static_cast<std::size_t>(page.first + page.span + 10);
        QTRY_COMPARE(window.View().first, static_cast<double>(player.heard));
        // ...unless the user moved the view during the play.
        QTest::keyClick(&window, Qt::Key_Left);
        const trace::TraceView moved = window.View();
        player.heard += static_cast<std::size_t>(2 * page.span);
        QTRY_COMPARE(window.CursorSample(), std::optional<std::size_t>(player.heard));
        QCOMPARE(window.View(), moved);

        // Another trace on show while the sound goes on: no cursor over it.
        window.ShowTrace(Load(WriteTrace(dir, "other.sac", 50'000)));
        window.FollowPlayer(sounding);
        QTRY_VERIFY(window.SummaryReady());
        player.heard = 12'000;
        const int asked = player.asked;
        QTRY_VERIFY(player.asked > asked + 2);  // the window has looked, and looked again
        QVERIFY(!window.CursorSample().has_value());
        // A span's sound: the player counts from the span's first sample.
        window.ShowTrace(sounding);
        window.FollowPlayer(sounding, 1000);
        QTRY_COMPARE(window.CursorSample(), std::optional<std::size_t>(13'000));

        player.playing = false;  // stopped
        player.heard = 30'000;
        QTRY_COMPARE(window.CursorSample(), std::optional<std::size_t>(31'000));
    }
};

QTEST_MAIN(WaveformWindowTest)
#include "waveform_window_test.moc"
