// SPDX-License-Identifier: MIT
// The Sound Box's Filter button in the real window on the offscreen
// platform: what the sound, the saved WAVE file and the waveform window make
// of a chosen filter, against the core's own filtering; a refused filter;
// the custom dialog and what it remembers.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTimer>
#include <QtTest>
#include <cmath>
#include <functional>
#include <numbers>
#include <vector>

#include "app/filter_chooser.h"
#include "app/main_window.h"
#include "app/waveform_window.h"
#include "dsp/filtered_trace.h"
#include "sound/make_sound.h"
#include "sound/wave_image.h"
#include "support/find_child.h"
#include "support/sac_builder.h"
#include "support/scratch_settings.h"
#include "support/temp_dir.h"
#include "trace/loaded_trace.h"

using tremorline::app::CustomFilterDialog;
using tremorline::app::Form1;
using tremorline::app::WaveformWindow;
using tremorline::testing::Find;
using tremorline::testing::SacBuilder;
using tremorline::testing::TempDir;
namespace dsp = tremorline::dsp;
namespace trace = tremorline::trace;

namespace {

// Answers every message box with OK, remembering its text, and hands a
// custom filter dialog, once it is open, to the test's script.
class ModalAnswerer {
  public:
    explicit ModalAnswerer(std::function<void(CustomFilterDialog&)> script = {})
        : script_(std::move(script)) {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                messages << box->text();
                box->accept();
            } else if (auto* dialog = qobject_cast<CustomFilterDialog*>(modal)) {
                if (script_) {
                    const auto once = std::move(script_);
                    script_ = {};
                    once(*dialog);
                }
            }
        });
        timer_.start();
    }
    QStringList messages;

  private:
    std::function<void(CustomFilterDialog&)> script_;
    QTimer timer_;
};

// Drift at 0.2 Hz, 5 Hz signal and 30 Hz hum, every `delta` seconds.
std::filesystem::path WriteTrace(const TempDir& dir, const char* name, float delta,
                                 double phase = 0) {
    std::vector<float> samples(2000);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double t = static_cast<double>(i) * delta + phase;
        samples[i] = static_cast<float>(800 * std::sin(2 * std::numbers::pi * 0.2 * t) +
                                        100 * std::sin(2 * std::numbers::pi * 5 * t) +
                                        300 * std::sin(2 * std::numbers::pi * 30 * t));
    }
    SacBuilder().Real(tremorline::sac::real::DELTA, delta).Samples(samples).WriteTo(dir / name);
    return dir / name;
}

std::vector<float> AllSamples(const trace::LoadedTrace& loaded) {
    std::vector<float> samples(loaded.samples->Count());
    loaded.samples->Read(0, samples);
    return samples;
}

// The core's filtering of the trace in `path` through the preset `name`.
trace::LoadedTrace CoreFiltered(const std::filesystem::path& path, const char* name) {
    const trace::LoadedTrace loaded = *trace::LoadSacTrace(path);
    const dsp::FilterRequest request = *dsp::ReadFilterText(name).request;
    return dsp::FilteredTrace(loaded, dsp::FixFilterForTrace(loaded, request), {});
}

QString Caption(Form1& window) {
    return Find<QLabel>(*Find<QPushButton>(window, "cmdFilter"), "caption")->text();
}

WaveformWindow& OpenWaveform(Form1& window) {
    Find<QAction>(window, "mnuWaveform")->trigger();
    return *Find<WaveformWindow>(window, "frmWaveform");
}

}  // namespace

class FilterChooserTest : public QObject {
    Q_OBJECT

    tremorline::testing::ScratchSettings settings_{"filter_chooser_test"};
    TempDir dir_;

  private slots:
    // `local` reaches the waveform window (drawn and named in its heading),
    // Set Up, Play and Save Sound, whose file is the core's sound of the
    // filtered trace; None goes back to the samples as recorded.
    void aPresetReachesTheSoundAndTheWaveform() {
        const auto path = WriteTrace(dir_, "quake.SAC", 0.01f);
        Form1 window;
        window.StartUp(path.string());
        WaveformWindow& waveform = OpenWaveform(window);
        QTRY_VERIFY(waveform.SummaryReady());
        QCOMPARE(waveform.Heading(), QString("quake.SAC"));
        QCOMPARE(Caption(window), QString("Filter\nnone"));

        ModalAnswerer answerer;
        Find<QAction>(window, "mnuFilter_local")->trigger();
        QVERIFY(Find<QAction>(window, "mnuFilter_local")->isChecked());
        QCOMPARE(Caption(window), QString("Filter\n1-10 Hz"));
        QCOMPARE(window.statusBar()->currentMessage(),
                 QString("Filter: band-pass 1-10 Hz, 4 corners, zero phase"));
        QCOMPARE(waveform.Heading(),
                 QString("quake.SAC  (band-pass 1-10 Hz, 4 corners, zero phase)"));
        const trace::LoadedTrace core = CoreFiltered(path, "local");
        QVERIFY(AllSamples(*waveform.DrawnTrace()) == AllSamples(core));
        QTRY_VERIFY(waveform.SummaryReady());

        QTest::mouseClick(Find<QPushButton>(window, "Command1"), Qt::LeftButton);
        QCOMPARE(answerer.messages.size(), 2);
        auto* rate = Find<QComboBox>(window, "Combo1");
        rate->setEditText("8000");
        QTest::mouseClick(Find<QPushButton>(window, "PlaySound"), Qt::LeftButton);
        QTest::mouseClick(Find<QPushButton>(window, "SaveWAVE"), Qt::LeftButton);
        QCOMPARE(answerer.messages.last(), QString("quake.wavdone."));
        tremorline::sound::BuiltSound built = tremorline::sound::BuildSound(core, {});
        tremorline::sound::SetPlayRate(built.header, 8000);
        QVERIFY(tremorline::testing::ReadFileBytes(dir_ / "quake.wav") ==
                tremorline::sound::BuildPlayBuffer(built.header, built.wave_data));

        Find<QAction>(window, "mnuFilterNone")->trigger();
        QCOMPARE(waveform.Heading(), QString("quake.SAC"));
        QCOMPARE(waveform.DrawnTrace(), waveform.Trace());
        QCOMPARE(Caption(window), QString("Filter\nnone"));
    }

    // A trace that cannot take the filter refuses it in a message box; the
    // button, the menu and the waveform keep the filter in use. A trace
    // opened later is filtered afresh, never drawn from the last one's.
    void refusalsChangeNothingAndNewTracesAreFilteredAfresh() {
        const auto slow = WriteTrace(dir_, "slow.SAC", 1.0f);  // Nyquist 0.5 Hz
        Form1 window;
        window.StartUp(slow.string());
        WaveformWindow& waveform = OpenWaveform(window);
        ModalAnswerer answerer;
        Find<QAction>(window, "mnuFilter_surface-waves")->trigger();
        QCOMPARE(waveform.Heading(),
                 QString("slow.SAC  (band-pass 0.01-0.1 Hz, 4 corners, zero phase)"));
        Find<QAction>(window, "mnuFilter_microseism-cut")->trigger();
        QCOMPARE(answerer.messages,
                 QStringList("Cannot filter: the high-pass corner 1 Hz is not below the "
                             "Nyquist frequency of this trace, 0.5 Hz."));
        QVERIFY(Find<QAction>(window, "mnuFilter_surface-waves")->isChecked());
        QCOMPARE(Find<QPushButton>(window, "cmdFilter")->toolTip(),
                 QString("Filter: band-pass 0.01-0.1 Hz, 4 corners, zero phase"));
        QCOMPARE(waveform.Heading(),
                 QString("slow.SAC  (band-pass 0.01-0.1 Hz, 4 corners, zero phase)"));

        const auto fast = WriteTrace(dir_, "fast.SAC", 0.05f, 3.0);
        window.StartUp(fast.string());
        QCOMPARE(waveform.Trace()->title, std::string("fast.SAC"));
        QCOMPARE(waveform.Heading(),
                 QString("fast.SAC  (band-pass 0.01-0.1 Hz, 4 corners, zero phase)"));
        QVERIFY(AllSamples(*waveform.DrawnTrace()) ==
                AllSamples(CoreFiltered(fast, "surface-waves")));
        QTRY_VERIFY(waveform.SummaryReady());
    }

    // The audible band follows the rate typed at Play: a rate that puts it
    // past the Nyquist frequency is refused once, the sound set up stays,
    // and the waveform keeps the band it was drawn with.
    void anAudibleBandTheRateRefusesIsSaidOnce() {
        const auto path = WriteTrace(dir_, "quake.SAC", 0.01f);
        Form1 window;
        window.StartUp(path.string());
        WaveformWindow& waveform = OpenWaveform(window);
        ModalAnswerer answerer;
        Find<QAction>(window, "mnuFilter_audible")->trigger();
        QTest::mouseClick(Find<QPushButton>(window, "Command1"), Qt::LeftButton);
        const QString drawn = waveform.Heading();
        QVERIFY2(drawn.startsWith("quake.SAC  (band-pass"), qPrintable(drawn));
        const qsizetype before = answerer.messages.size();
        // Sped up 0.4 times, 20 Hz of sound is 50 Hz of trace: Nyquist.
        Find<QComboBox>(window, "Combo1")->setEditText("40");
        QTest::mouseClick(Find<QPushButton>(window, "PlaySound"), Qt::LeftButton);
        QCOMPARE(answerer.messages.size(), before + 1);
        QVERIFY2(answerer.messages.last().contains("Nyquist"),
                 qPrintable(answerer.messages.last()));
        QCOMPARE(waveform.Heading(), drawn);
        QVERIFY(Find<QPushButton>(window, "PlaySound")->isEnabled());
    }

    // Custom… asks for the kind, corners, corner frequencies and zero
    // phase; a field that gives no filter keeps the dialog open with the
    // reason; the choice is kept for the next run, and a cancelled dialog
    // leaves the filter in use.
    void theCustomDialogChoosesAndRemembers() {
        const auto path = WriteTrace(dir_, "quake.SAC", 0.01f);
        Form1 window;
        window.StartUp(path.string());
        QString problem;
        bool still_open = false;
        {
            ModalAnswerer answerer([&](CustomFilterDialog& dialog) {
                Find<QComboBox>(dialog, "cboKind")->setCurrentIndex(2);  // low-pass
                QVERIFY(!Find<QLineEdit>(dialog, "txtLow")->isEnabled());
                Find<QLineEdit>(dialog, "txtHigh")->setText("-2");
                dialog.accept();
                problem = Find<QLabel>(dialog, "lblProblem")->text();
                still_open = dialog.isVisible();
                Find<QLineEdit>(dialog, "txtHigh")->setText("2");
                Find<QSpinBox>(dialog, "spnCorners")->setValue(2);
                Find<QCheckBox>(dialog, "chkZeroPhase")->setChecked(false);
                dialog.accept();
            });
            Find<QAction>(window, "mnuFilterCustom")->trigger();
            QVERIFY(answerer.messages.isEmpty());
        }
        QCOMPARE(problem, QString("The corner \"-2\" is not a positive number of hertz."));
        QVERIFY(still_open);
        QCOMPARE(window.statusBar()->currentMessage(),
                 QString("Filter: low-pass 2 Hz, 2 corners, causal"));
        QCOMPARE(Caption(window), QString("Filter\n< 2 Hz"));
        QAction* custom = Find<QAction>(window, "mnuFilterCustom");
        QVERIFY(custom->isChecked());
        QCOMPARE(custom->text(), QString::fromUtf8("&Custom (low-pass 2 Hz, 2 corners, causal)…"));
        const dsp::FilterRequest kept = tremorline::app::LoadCustomFilter();
        QCOMPARE(kept.kind, dsp::FilterKind::LowPass);
        QCOMPARE(kept.high, 2.0);
        QCOMPARE(kept.corners, 2);
        QVERIFY(!kept.zero_phase);

        Find<QAction>(window, "mnuFilterNone")->trigger();
        {
            ModalAnswerer answerer([](CustomFilterDialog& dialog) {
                // Opens with the kept choice.
                QCOMPARE(Find<QLineEdit>(dialog, "txtHigh")->text(), QString("2"));
                QCOMPARE(Find<QSpinBox>(dialog, "spnCorners")->value(), 2);
                dialog.reject();
            });
            Find<QAction>(window, "mnuFilterCustom")->trigger();
        }
        QVERIFY(Find<QAction>(window, "mnuFilterNone")->isChecked());
        QCOMPARE(Caption(window), QString("Filter\nnone"));
    }
};

QTEST_MAIN(FilterChooserTest)
#include "filter_chooser_test.moc"
