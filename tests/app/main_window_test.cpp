// SPDX-License-Identifier: MIT
// The real Form1 on the offscreen platform: its controls, menus and states.

#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "app/main_window.h"
#include "support/find_child.h"
#include "support/scratch_settings.h"

using tremorline::app::Form1;
using tremorline::testing::Find;

class MainWindowTest : public QObject {
    Q_OBJECT

  private:
    static QString TestFile(const char* name) {
        return QString(TREMORLINE_TESTDATA_DIR) + "/" + name;
    }
    // The shared real SAC files may be absent; the cases on them skip then.
    static bool HaveRealFiles() { return QFile::exists(TestFile("test.sac")); }
    static bool Enabled(Form1& window, const char* name) {
        if (auto* action = window.findChild<QAction*>(name)) {
            return action->isEnabled();
        }
        return Find<QWidget>(window, name)->isEnabled();
    }

    tremorline::testing::ScratchSettings settings_{"main_window_test"};

  private slots:

    // The captions, and the sound controls grouped in Frame1.
    void controlsStandWhereTheyBelong() {
        Form1 window;
        QCOMPARE(window.windowTitle(), QString("Tremorline"));
        QCOMPARE(Find<QGroupBox>(window, "Frame1")->title(), QString("Sound Box"));
        const std::pair<const char*, QString> sound_controls[] = {{"Command1", "Set Up Sound"},
                                                                  {"Combo1", ""},
                                                                  {"PlaySound", "Play Sound"},
                                                                  {"StopSound", "Stop Sound"},
                                                                  {"SaveWAVE", "Save Sound"}};
        for (const auto& [name, caption] : sound_controls) {
            QWidget* control = Find<QWidget>(window, name);
            QCOMPARE(control->parentWidget(), Find<QWidget>(window, "Frame1"));
            if (auto* button = qobject_cast<QPushButton*>(control)) {
                QCOMPARE(button->findChild<QLabel*>("caption")->text(), caption);
            }
        }
        // Stop Sound is as large as its neighbours and stands between Play
        // Sound and Save Sound.
        const QRect play = Find<QWidget>(window, "PlaySound")->geometry();
        const QRect stop = Find<QWidget>(window, "StopSound")->geometry();
        const QRect save = Find<QWidget>(window, "SaveWAVE")->geometry();
        QCOMPARE(stop.size(), QSize(45, 29));
        QCOMPARE(stop.size(), play.size());
        QVERIFY(play.right() < stop.left() && stop.right() < save.left());
        QCOMPARE(stop.top(), play.top());
        auto texts = [](const QList<QAction*>& actions, bool with_names) {
            QStringList shown;
            for (QAction* action : actions) {
                shown << (with_names ? action->objectName() + "=" : QString()) + action->text();
            }
            return shown;
        };
        QCOMPARE(texts(window.menuBar()->actions(), false),
                 (QStringList{"&File", "&Make PSN", "&View", "&Help"}));
        QCOMPARE(texts(Find<QMenu>(window, "mnuFile")->actions(), true),
                 (QStringList{"mnuItemOpen=&Open", "mnuItemClose=&Close", "mnuItemExit=&Exit"}));
        QCOMPARE(texts(Find<QMenu>(window, "mnuView")->actions(), true),
                 (QStringList{"mnuWaveform=&Waveform", "mnuSpectrogram=&Spectrogram",
                              "mnuSpectrogramSettings=Spectrogram Se&ttings…"}));
        QCOMPARE(texts(Find<QMenu>(window, "mnuHelp")->actions(), true),
                 (QStringList{"mnuItemAbout=&About", "mnuItemDetails=SAC Header &Details"}));
    }

    void startUpWithoutArgument() {
        Form1 window;
        window.StartUp("");
        QCOMPARE(Find<QLabel>(window, "Label1")->text(), QString());
        for (const char* name : {"mnuMakePSN", "Command1", "PlaySound", "StopSound", "SaveWAVE"}) {
            QVERIFY2(!Enabled(window, name), name);
        }
        auto* combo = Find<QComboBox>(window, "Combo1");
        QVERIFY(combo->isEditable());
        QCOMPARE(combo->currentText(), QString("0"));
        QStringList items;
        for (int i = 0; i < combo->count(); ++i) {
            items << combo->itemText(i);
        }
        QCOMPARE(items, (QStringList{"0", "44100", "22050", "16000", "11025", "8000", "4000"}));
    }

    void startUpWithAQuotedPathShowsTheSummary() {
        if (!HaveRealFiles()) {
            QSKIP("the real SAC files are not beside the project");
        }
        Form1 window;
        QString argument = "\"" + TestFile("LMOW.BHE.SAC") + "\"";
        window.StartUp(argument.toStdString());
        QCOMPARE(Find<QLabel>(window, "Label1")->text(), argument);
        QVERIFY(Enabled(window, "mnuMakePSN"));
        QVERIFY(Enabled(window, "Command1"));
        QVERIFY(!Enabled(window, "PlaySound"));
        QVERIFY(!Enabled(window, "SaveWAVE"));
        QString text = Find<QPlainTextEdit>(window, "Text1")->toPlainText();
        QVERIFY(text.startsWith("LMOW.BHE.SAC\n"));
        QVERIFY2(!text.contains('\r'), "CR LF line ends must not show");
    }

    void exitEndsTheProgramAtOnce() {
        Form1 window;
        window.show();
        QTimer::singleShot(0, [&] { Find<QAction>(window, "mnuItemExit")->trigger(); });
        QTimer::singleShot(10000, [] { QCoreApplication::exit(1); });  // the guard
        QCOMPARE(QCoreApplication::exec(), 0);
    }

    void summaryTextShowsBytesAsLatin1InAMonospaceFont() {
        Form1 window;
        window.SetText1({.title = "s\xC3\xA9isme.sac", .body = "caf\xE9\r\nline 2\r\n"});
        auto* text = Find<QPlainTextEdit>(window, "Text1");
        QCOMPARE(text->toPlainText(), QString::fromUtf8("s\u00e9isme.sac\ncaf\u00e9\nline 2\n"));
        QVERIFY(QFontInfo(text->font()).fixedPitch());
        QVERIFY(text->font().bold());
    }

    // Seismic traces first (SAC in any letter case and miniSEED), then SAC,
    // then miniSEED, then every file, names without a dot included.
    void openDialogFiltersFindTracesAndEveryFile() {
        QTemporaryDir dir;
        for (const char* name :
             {"a.sac", "B.SAC", "c.Sac", "notes.txt", "noext", "d.mseed", "E.MSD", "f.miniseed"}) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        const QStringList expected[] = {
            {"B.SAC", "E.MSD", "a.sac", "c.Sac", "d.mseed", "f.miniseed"},
            {"B.SAC", "a.sac", "c.Sac"},
            {"E.MSD", "d.mseed", "f.miniseed"},
            {"B.SAC", "E.MSD", "a.sac", "c.Sac", "d.mseed", "f.miniseed", "noext", "notes.txt"},
        };
        Form1 window;
        QStringList filters;
        QList<QStringList> listed;
        QTimer::singleShot(0, [&] {
            auto* dialog = window.findChild<QFileDialog*>("CommonDialog1");
            if (dialog == nullptr) {
                return;  // ChooseTraceFile then blocks; the test's time limit reports it
            }
            filters = dialog->nameFilters();
            dialog->setDirectory(dir.path());
            auto* view = dialog->findChild<QListView*>("listView");
            auto* types = dialog->findChild<QComboBox*>("fileTypeCombo");
            auto names = [view] {
                QStringList shown;
                for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row) {
                    shown << view->model()->index(row, 0, view->rootIndex()).data().toString();
                }
                shown.sort();
                return shown;
            };
            for (int choice = 0; choice < types->count(); ++choice) {
                // As the user picks the choice from the list; the folder is
                // read in the background, so the list is awaited.
                types->setCurrentIndex(choice);
                emit types->activated(choice);
                emit types->textActivated(types->currentText());
                // Compared below, once the dialog is gone.
                (void)QTest::qWaitFor([&] { return names() == expected[choice]; }, 20000);
                listed << names();
            }
            dialog->reject();
        });
        QVERIFY(!window.ChooseTraceFile().has_value());  // cancelled
        QCOMPARE(
            filters,
            (QStringList{"Seismic traces (*.sac *.mseed *.miniseed *.msd)", "SAC Files (*.SAC)",
                         "miniSEED Files (*.mseed *.miniseed *.msd)", "All Files (*)"}));
        QCOMPARE(listed.size(), 4);
        for (int choice = 0; choice < 4; ++choice) {
            QCOMPARE(listed[choice], expected[choice]);
        }
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
