// SPDX-License-Identifier: MIT
// The real program's waveform window on an X server, with the real player
// into a null sink of its own: Space there starts a sound that the sink's
// monitor hears, and Escape there stops it; Space plays and stops from the
// main window as well. Run by ctest under xvfb-run,
// through audio_e2e.sh --with-sink.

#include <QAction>
#include <QAudioDevice>
#include <QComboBox>
#include <QLineEdit>
#include <QMediaDevices>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <cstdint>
#include <cstring>
#include <vector>

#include "app/main_window.h"
#include "app/waveform_window.h"
#include "support/sac_builder.h"

using tremorline::app::Form1;
using tremorline::app::WaveformWindow;

namespace {

constexpr int kRate = 44100;

// The sink's monitor, recorded as it plays: counts the samples heard and
// how many silent ones have come in a row since the last sound.
class Recorder {
  public:
    explicit Recorder(const QString& device) {
        QObject::connect(&process_, &QProcess::readyReadStandardOutput, [this] { Take(); });
        process_.start("parec", {"--device=" + device, "--raw", "--format=s16le", "--channels=1",
                                 "--rate=" + QString::number(kRate)});
    }
    ~Recorder() {
        process_.kill();
        process_.waitForFinished();
    }
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    bool Started() { return process_.waitForStarted(); }
    qsizetype Sounding() const { return sounding_; }
    qsizetype SilentInARow() const { return silent_; }

  private:
    void Take() {
        pending_ += process_.readAllStandardOutput();
        qsizetype at = 0;
        for (; at + 1 < pending_.size(); at += 2) {
            std::int16_t sample = 0;
            std::memcpy(&sample, pending_.constData() + at, sizeof sample);
            if (sample != 0) {
                ++sounding_;
                silent_ = 0;
            } else {
                ++silent_;
            }
        }
        pending_.remove(0, at);
    }

    QProcess process_;
    QByteArray pending_;
    qsizetype sounding_ = 0;
    qsizetype silent_ = 0;
};

}  // namespace

class WaveformSoundTest : public QObject {
    Q_OBJECT

  private slots:
    void spaceStartsASoundAndEscapeStopsIt() {
        if (QMediaDevices::defaultAudioOutput().isNull()) {
            QFAIL("no audio output: run this against a sound server");
        }
        QTemporaryDir folder;
        std::vector<float> samples(200);
        for (std::size_t i = 0; i < samples.size(); ++i) {
            samples[i] = static_cast<float>((i * 7919) % 200) - 100.0f;
        }
        const QString path = folder.filePath("quake.SAC");
        tremorline::testing::SacBuilder().Samples(samples).WriteTo(path.toStdString());

        Form1 window;
        window.show();
        window.StartUp(("\"" + path + "\"").toStdString());
        // 200 samples at 20 Hz: ten seconds of sound, if nothing stops it.
        auto* combo = window.findChild<QComboBox*>("Combo1");
        combo->clearEditText();
        QTest::keyClicks(combo, "20");
        window.findChild<QAction*>("mnuWaveform")->trigger();
        auto* waveform = window.findChild<WaveformWindow*>("frmWaveform");
        QVERIFY(waveform != nullptr);
        QVERIFY(QTest::qWaitForWindowExposed(waveform));
        QTRY_VERIFY(waveform->SummaryReady());
        auto* stop = window.findChild<QPushButton*>("StopSound");

        Recorder recorder(qEnvironmentVariable("TREMORLINE_SINK") + ".monitor");
        QVERIFY(recorder.Started());
        QTest::keyClick(waveform, Qt::Key_Space);
        QVERIFY(stop->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(recorder.Sounding() > kRate / 10, 5000);
        QTRY_VERIFY(waveform->CursorSample().value_or(0) > 0);

        QTest::keyClick(waveform, Qt::Key_Escape);
        QVERIFY(!stop->isEnabled());
        // Silence from then on: what was on its way out drains within moments.
        QTRY_VERIFY_WITH_TIMEOUT(recorder.SilentInARow() > kRate / 2, 5000);

        // Space in the main window plays and stops too, even on a focused
        // button (which it does not press: that would start the sound again);
        // the rate's field takes Space as text.
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        auto* play = window.findChild<QPushButton*>("PlaySound");
        play->setFocus();
        const qsizetype heard = recorder.Sounding();
        QTest::keyClick(play, Qt::Key_Space);
        QVERIFY(stop->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(recorder.Sounding() > heard + kRate / 10, 5000);
        QTest::keyClick(play, Qt::Key_Space);
        QVERIFY(!stop->isEnabled());
        QTest::keyClick(play, Qt::Key_Space, Qt::ShiftModifier);  // no selection to loop
        QVERIFY(!stop->isEnabled());
        QTest::keyClick(combo->lineEdit(), Qt::Key_Space);
        QVERIFY(!stop->isEnabled());
        QCOMPARE(combo->currentText(), QString("20 "));
        // A focused button is pressed with Return.
        combo->setEditText("20");
        play->setFocus();
        QTest::keyClick(play, Qt::Key_Return);
        QVERIFY(stop->isEnabled());
        QTest::keyClick(play, Qt::Key_Escape);
        QVERIFY(!stop->isEnabled());
    }
};

QTEST_MAIN(WaveformSoundTest)
#include "waveform_sound_test.moc"
