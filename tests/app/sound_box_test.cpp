// SPDX-License-Identifier: MIT
// The real Form1 and its real player: Play Sound at a rate far below the
// output's, Stop Sound by button and by Escape, a sound that ends by itself,
// and the position label. Run by ctest against a null sink of its own
// (playsAndStops) and without any sound server (withoutOutputTheLabelSaysSo).

#include <QAudioDevice>
#include <QComboBox>
#include <QLabel>
#include <QMediaDevices>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <vector>

#include "app/main_window.h"
#include "support/find_child.h"
#include "support/sac_builder.h"
#include "support/scratch_settings.h"

using tremorline::app::Form1;
using tremorline::testing::Find;

namespace {

// Accepts every message box as it opens (Set Up Sound shows two).
class MessageCloser {
  public:
    MessageCloser() {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                box->accept();
            }
        });
        timer_.start();
    }

  private:
    QTimer timer_;
};

}  // namespace

class SoundBoxTest : public QObject {
    Q_OBJECT

  private:
    // A trace of 40 samples every 0.05 s (2 s of ground motion) from
    // 03:04:05.250 UTC, opened in `window` and set up for sound.
    void OpenAndSetUp(Form1& window) {
        std::vector<float> samples(40);
        for (std::size_t i = 0; i < samples.size(); ++i) {
            samples[i] = static_cast<float>((i * 7919) % 200) - 100.0f;
        }
        const QString path = folder_.filePath("quake.SAC");
        tremorline::testing::SacBuilder()
            .Real(tremorline::sac::real::DELTA, 0.05f)
            .Samples(samples)
            .WriteTo(path.toStdString());
        window.StartUp(("\"" + path + "\"").toStdString());
        MessageCloser closer;
        QTest::mouseClick(Find<QPushButton>(window, "Command1"), Qt::LeftButton);
        QVERIFY(Find<QPushButton>(window, "PlaySound")->isEnabled());
        // The rate the advice recommends, 1800 / DELTA, is ready to play.
        QCOMPARE(Find<QComboBox>(window, "Combo1")->currentText(), QString("36000"));
    }

    void PlayAt(Form1& window, const char* rate) {
        auto* combo = Find<QComboBox>(window, "Combo1");
        combo->clearEditText();
        QTest::keyClicks(combo, rate);
        QTest::mouseClick(Find<QPushButton>(window, "PlaySound"), Qt::LeftButton);
    }

    QTemporaryDir folder_;
    tremorline::testing::ScratchSettings settings_{"sound_box_test"};

  private slots:
    void playsAndStops() {
        if (QMediaDevices::defaultAudioOutput().isNull()) {
            QFAIL("no audio output: run this against a sound server");
        }
        Form1 window;
        window.show();
        OpenAndSetUp(window);
        // The message boxes of the set-up took the focus with them.
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        auto* stop = Find<QPushButton>(window, "StopSound");
        auto* label = Find<QLabel>(window, "lblPlayPosition");
        QVERIFY(!stop->isEnabled());

        // 40 samples at 10 Hz: four seconds of sound, half as fast as the
        // ground moved. The output runs at its own rate, far above 10 Hz.
        PlayAt(window, "10");
        QVERIFY(stop->isEnabled());
        QVERIFY(label->isVisible());
        QCOMPARE(label->text(), QString::fromUtf8("0:00 / 0:04  \u00D70.5  03:04:05 UTC"));
        // Heard a second in: sample 10, half a second of the trace.
        QTRY_COMPARE_WITH_TIMEOUT(label->text(),
                                  QString::fromUtf8("0:01 / 0:04  \u00D70.5  03:04:05 UTC"), 3000);
        QTRY_COMPARE_WITH_TIMEOUT(label->text(),
                                  QString::fromUtf8("0:02 / 0:04  \u00D70.5  03:04:06 UTC"), 3000);

        // Escape presses Stop Sound; the label stays where the sound stopped.
        QTest::keyClick(&window, Qt::Key_Escape);
        QVERIFY(!stop->isEnabled());
        const QString stopped = label->text();
        QVERIFY2(stopped.startsWith("0:02 / 0:04"), qPrintable(stopped));

        // Play again: from the beginning; Stop Sound by its button.
        PlayAt(window, "10");
        QVERIFY(stop->isEnabled());
        QVERIFY(label->text().startsWith("0:00 / 0:04"));
        QTest::mouseClick(stop, Qt::LeftButton);
        QVERIFY(!stop->isEnabled());

        // 40 samples at 8000 Hz end by themselves within moments; the label
        // then shows the end: all 2 s of the trace heard.
        PlayAt(window, "8000");
        QTRY_VERIFY_WITH_TIMEOUT(!stop->isEnabled(), 3000);
        QCOMPARE(label->text(), QString::fromUtf8("0:00 / 0:00  \u00D7400  03:04:07 UTC"));
        QVERIFY(Find<QPushButton>(window, "SaveWAVE")->isEnabled());

        // Another trace opened while the sound plays: the line names the
        // sound's own trace file.
        PlayAt(window, "10");
        QVERIFY(stop->isEnabled());
        tremorline::testing::SacBuilder().Samples({1, 2, 3}).WriteTo(
            folder_.filePath("other.SAC").toStdString());
        window.StartUp(folder_.filePath("other.SAC").toStdString());
        QTRY_VERIFY2(label->text().startsWith(QString::fromUtf8("quake.SAC  0:0")),
                     qPrintable(label->text()));
        QTest::mouseClick(stop, Qt::LeftButton);
    }

    void withoutOutputTheLabelSaysSo() {
        if (!QMediaDevices::defaultAudioOutput().isNull()) {
            QSKIP("an audio output is available here");
        }
        Form1 window;
        OpenAndSetUp(window);
        PlayAt(window, "8000");
        QCOMPARE(Find<QLabel>(window, "lblPlayPosition")->text(),
                 QString("No audio output is available"));
        QVERIFY(!Find<QPushButton>(window, "StopSound")->isEnabled());
        QVERIFY(Find<QPushButton>(window, "SaveWAVE")->isEnabled());
    }
};

QTEST_MAIN(SoundBoxTest)
#include "sound_box_test.moc"
