// SPDX-License-Identifier: MIT
// The spectrogram under the waveform, on the offscreen platform: View >
// Spectrogram, the panel's time axis and play cursor shared with the
// waveform, its reasons for being empty, and its rebuilds.

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QWheelEvent>
#include <QtTest>
#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include "app/main_window.h"
#include "app/spectrogram_settings.h"
#include "app/waveform_window.h"
#include "plot/spectrogram_plot.h"
#include "plot/trace_plot.h"
#include "support/fake_window.h"
#include "support/sac_builder.h"
#include "support/temp_dir.h"
#include "trace/loaded_trace.h"

using tremorline::app::Form1;
using tremorline::app::SpectrogramChoice;
using tremorline::app::SpectrogramSettingsDialog;
using tremorline::app::WaveformWindow;
using tremorline::testing::FakePlayer;
using tremorline::testing::SacBuilder;
using tremorline::testing::TempDir;
namespace plot = tremorline::plot;
namespace trace = tremorline::trace;

namespace {

constexpr std::size_t kHalf = 6000;  // a minute at 100 samples a second

// A 5 Hz tone for a minute, then a 20 Hz tone for a minute.
std::filesystem::path WriteTones(const TempDir& dir, const std::string& name) {
    std::vector<float> samples;
    for (const double hz : {5.0, 20.0}) {
        for (std::size_t i = 0; i < kHalf; ++i) {
            samples.push_back(static_cast<float>(
                100 * std::sin(2 * std::numbers::pi * hz * static_cast<double>(i) * 0.01)));
        }
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

bool IsCursor(QRgb pixel) {
    const QColor colour(pixel);
    return colour.red() > 200 && colour.green() > 90 && colour.green() < 150 && colour.blue() < 60;
}

std::vector<int> CursorColumns(const QImage& image, int y) {
    std::vector<int> columns;
    for (int x = 0; x < image.width(); ++x) {
        if (IsCursor(image.pixel(x, y))) {
            columns.push_back(x);
        }
    }
    return columns;
}

}  // namespace

class SpectrogramWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        QCoreApplication::setOrganizationName("tremorline-test");
        QCoreApplication::setApplicationName("spectrogram-window-test");
        QSettings().clear();
    }

    // View > Spectrogram is a check item with a key; it shows the waveform
    // window with the panel, and the choice is kept between runs.
    void theViewItemShowsThePanelAndIsKept() {
        TempDir dir;
        const auto tones = WriteTones(dir, "tones.sac");
        {
            Form1 window;
            window.StartUp(tones.string());
            QAction* item = window.findChild<QAction*>("mnuSpectrogram");
            QVERIFY(item != nullptr);
            QVERIFY(item->isCheckable());
            QVERIFY(!item->shortcut().isEmpty());
            QVERIFY(!item->isChecked());
            item->trigger();
            auto* waveform = window.findChild<WaveformWindow*>("frmWaveform");
            QVERIFY(waveform != nullptr);
            QVERIFY(waveform->isVisible());
            QVERIFY(waveform->SpectrogramShown());
            QTRY_VERIFY(waveform->SpectrogramReady());
        }
        {
            Form1 window;  // the next run
            QAction* item = window.findChild<QAction*>("mnuSpectrogram");
            QVERIFY(item->isChecked());
            window.StartUp(tones.string());
            window.findChild<QAction*>("mnuWaveform")->trigger();
            auto* waveform = window.findChild<WaveformWindow*>("frmWaveform");
            QVERIFY(waveform->SpectrogramShown());
            item->trigger();
            QVERIFY(!waveform->SpectrogramShown());
        }
        Form1 window;
        QVERIFY(!window.findChild<QAction*>("mnuSpectrogram")->isChecked());
    }

    // The panel stands under the waveform on the same time axis: the change
    // of tone is where its time is, the play cursor crosses both at one x,
    // and zooming moves both.
    void thePanelSharesTheTimeAxisAndThePlayCursor() {
        TempDir dir;
        FakePlayer player;
        WaveformWindow window(player);
        window.resize(900, 600);
        window.show();
        window.SetSpectrogramShown(true);
        window.ShowTrace(Load(WriteTones(dir, "tones.sac")));
        QTRY_VERIFY(window.SummaryReady() && window.SpectrogramReady());
        const QPointF middle(window.width() / 2.0, window.height() / 4.0);
        QWheelEvent wheel(middle, window.mapToGlobal(middle), QPoint(), QPoint(0, 360),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&window, &wheel);
        QVERIFY(window.View().span < 2 * kHalf);
        player.playing = true;
        player.heard = kHalf + 300;
        window.FollowPlayer(window.Trace());
        QTRY_COMPARE(window.CursorSample(), std::optional<std::size_t>(kHalf + 300));

        const QImage shot = window.grab().toImage();
        // The panels share the canvas above the scroll bar and pointer line.
        const QSize canvas = window.CanvasSize();
        const int panel_height = plot::SpectrogramPanelHeight(canvas.height());
        const QSize waveform_size = plot::WaveformSizeBesideSpectrogram(
            QSize(canvas.width(), canvas.height() - panel_height));
        const QRect wave_area = plot::PlotArea(waveform_size);
        const QRect area = plot::SpectrogramArea(QSize(canvas.width(), panel_height))
                               .translated(0, canvas.height() - panel_height);
        const std::vector<int> above = CursorColumns(shot, wave_area.top() + 3);
        QVERIFY(!above.empty());
        QCOMPARE(CursorColumns(shot, area.center().y()), above);
        QVERIFY(std::abs(above.front() - plot::XAtSamplePosition(waveform_size, window.View(),
                                                                 kHalf + 300.0)) <= 1.5);

        const int change =
            static_cast<int>(plot::XAtSamplePosition(waveform_size, window.View(), kHalf));
        QVERIFY(change > area.left() + 60 && change < area.right() - 60);
        const int row_5 = area.top() + static_cast<int>((1 - 5.0 / 50) * area.height());
        const int row_20 = area.top() + static_cast<int>((1 - 20.0 / 50) * area.height());
        QVERIFY(qGray(shot.pixel(change - 50, row_5)) >
                qGray(shot.pixel(change - 50, row_20)) + 60);
        QVERIFY(qGray(shot.pixel(change + 50, row_20)) >
                qGray(shot.pixel(change + 50, row_5)) + 60);
    }

    // A trace without a spectrogram gets the reason in the panel; the
    // waveform is still drawn. Another trace shown meanwhile replaces the
    // build.
    void thePanelSaysWhyItIsEmptyAndFollowsTheTrace() {
        TempDir dir;
        FakePlayer player;
        WaveformWindow window(player);
        window.show();
        window.SetSpectrogramShown(true);
        SacBuilder().Samples(std::vector<float>(100, 1.0f)).WriteTo(dir / "short.sac");
        window.ShowTrace(Load(dir / "short.sac"));
        QTRY_VERIFY(window.SummaryReady());
        QTRY_VERIFY(!window.SpectrogramProblem().isEmpty());
        QVERIFY(window.SpectrogramProblem().contains("fewer than one window"));

        std::vector<float> long_tone(2'000'000);
        for (std::size_t i = 0; i < long_tone.size(); ++i) {
            long_tone[i] = static_cast<float>(std::sin(0.3 * static_cast<double>(i)));
        }
        SacBuilder().Samples(long_tone).WriteTo(dir / "long.sac");
        window.ShowTrace(Load(dir / "long.sac"));
        QVERIFY(!window.SpectrogramReady());
        window.ShowTrace(Load(WriteTones(dir, "tones.sac")));
        QTRY_VERIFY(window.SpectrogramReady());
        QVERIFY(window.SpectrogramProblem().isEmpty());
        window.ShowTrace(Load(dir / "long.sac"));  // closing while it builds
    }

    // The settings dialog takes numbers in range, empty fields for "from the
    // trace", and says what is wrong with anything else; the choice made is
    // kept between runs.
    void theSettingsDialogTakesOnlyWhatCanBeUsed_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("overlap");
        QTest::addColumn<QString>("low");
        QTest::addColumn<QString>("high");
        QTest::addColumn<QString>("problem");  // empty: accepted
        QTest::newRow("defaults") << ""
                                  << ""
                                  << ""
                                  << ""
                                  << "";
        QTest::newRow("all chosen") << "5"
                                    << "0.9"
                                    << "-20"
                                    << "60"
                                    << "";
        QTest::newRow("zero window") << "0"
                                     << "0.5"
                                     << ""
                                     << ""
                                     << "window must be";
        QTest::newRow("text window") << "long"
                                     << "0.5"
                                     << ""
                                     << ""
                                     << "window must be";
        QTest::newRow("overlap of one") << ""
                                        << "1"
                                        << ""
                                        << ""
                                        << "overlap must be";
        QTest::newRow("negative overlap") << ""
                                          << "-0.5"
                                          << ""
                                          << ""
                                          << "overlap must be";
        QTest::newRow("limits crossed") << ""
                                        << ""
                                        << "50"
                                        << "40"
                                        << "highest power";
        QTest::newRow("limit not a number") << ""
                                            << ""
                                            << "x"
                                            << ""
                                            << "power limits";
    }
    void theSettingsDialogTakesOnlyWhatCanBeUsed() {
        QFETCH(QString, window);
        QFETCH(QString, overlap);
        QFETCH(QString, low);
        QFETCH(QString, high);
        QFETCH(QString, problem);
        SpectrogramSettingsDialog dialog(SpectrogramChoice{});
        dialog.findChild<QLineEdit*>("txtWindow")->setText(window);
        dialog.findChild<QLineEdit*>("txtOverlap")->setText(overlap);
        dialog.findChild<QLineEdit*>("txtDbLow")->setText(low);
        dialog.findChild<QLineEdit*>("txtDbHigh")->setText(high);
        const std::optional<SpectrogramChoice> choice = dialog.Choice();
        const QString said = dialog.findChild<QLabel*>("lblProblem")->text();
        if (problem.isEmpty()) {
            QVERIFY2(choice.has_value(), qPrintable(said));
            choice->Save();
            QCOMPARE(SpectrogramChoice::Load(), *choice);
        } else {
            QVERIFY(!choice.has_value());
            QVERIFY2(said.contains(problem), qPrintable(said));
        }
    }
};

QTEST_MAIN(SpectrogramWindowTest)
#include "spectrogram_window_test.moc"
