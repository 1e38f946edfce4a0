// SPDX-License-Identifier: MIT
// The real Form1 as a desktop user meets it, on the offscreen platform: its
// size and layout, the keys, dropping a file, a cancelled Open, the reason
// for an error, where outputs go and what the window says about them.

#include <QAction>
#include <QComboBox>
#include <QCursor>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>
#include <functional>
#include <map>
#include <thread>

#include "app/help_text.h"
#include "app/main_window.h"
#include "app/twips.h"
#include "common/progress.h"
#include "sac/sac_header.h"
#include "support/find_child.h"
#include "support/sac_builder.h"
#include "support/scratch_settings.h"

using tremorline::app::Form1;
using tremorline::app::Twips;
using tremorline::testing::Find;
using tremorline::testing::SacBuilder;

namespace {

// The builder's default trace: 1 February 2005 03:04:05, station STA, BHZ.
const QString kPsnName = QStringLiteral("050201.030405.STAZ.psn");

QRect TwipsRect(int left, int top, int width, int height) {
    return {Twips(left), Twips(top), Twips(width), Twips(height)};
}

// Every control's place at the form's own size, in twips; the sound
// controls are placed inside Frame1.
const std::map<QString, QRect>& FormPlaces() {
    static const std::map<QString, QRect> places = {
        {"Label1", TwipsRect(255, 75, 5175, 345)},    {"Text1", TwipsRect(60, 525, 5385, 4800)},
        {"Frame1", TwipsRect(60, 5400, 5415, 795)},   {"Command1", TwipsRect(180, 240, 675, 435)},
        {"Combo1", TwipsRect(960, 300, 1095, 315)},   {"PlaySound", TwipsRect(2340, 240, 675, 435)},
        {"SaveWAVE", TwipsRect(4500, 240, 675, 435)},
    };
    return places;
}

}  // namespace

class MainWindowDesktopTest : public QObject {
    Q_OBJECT

  private:
    tremorline::testing::ScratchSettings settings_{"main_window_desktop_test"};

    static QString Text1(const Form1& window) {
        return Find<QPlainTextEdit>(window, "Text1")->toPlainText();
    }
    static QSize ClientSize(const Form1& window) { return window.centralWidget()->size(); }
    static void Show(Form1& window) {
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }
    // A trace file built in `dir`, named `name`, with samples that sound.
    static QString WriteTrace(const QTemporaryDir& dir, const QString& name) {
        const QString path = dir.filePath(name);
        SacBuilder()
            .Samples({-1000, 3000, -500, 200})
            .WriteTo(QFile::encodeName(path).toStdString());
        return path;
    }

    // Answers every message box that comes up while `run` runs, noting its
    // text and the cursor shown over it.
    struct AnsweredBox {
        QString text;
        Qt::CursorShape cursor;
    };
    static QList<AnsweredBox> AnswerBoxes(const std::function<void()>& run) {
        QList<AnsweredBox> boxes;
        QTimer answerer;
        answerer.setInterval(10);
        QObject::connect(&answerer, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) {
                return;
            }
            const QCursor* cursor = QApplication::overrideCursor();
            boxes.append({box->text(), cursor ? cursor->shape() : Qt::ArrowCursor});
            box->done(QMessageBox::Yes);
        });
        answerer.start();
        run();
        return boxes;
    }

    // Drops `urls` on the window as a file manager would; true when the
    // window took the drag.
    static bool Drop(Form1& window, const QList<QUrl>& urls) {
        QMimeData data;
        data.setUrls(urls);
        const QPoint at = Find(window, "Text1")->geometry().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&window, &enter);
        if (!enter.isAccepted()) {
            return false;
        }
        QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&window, &drop);
        QCoreApplication::processEvents();  // the file opens once the drop is over
        return drop.isAccepted();
    }

  private slots:
    void initTestCase() { QVERIFY(settings_.IsValid()); }
    void init() { QSettings().clear(); }

    // ---- Size and layout ----

    void firstStartShowsTheFormWithEveryControlInPlace() {
        Form1 window;
        Show(window);
        QCOMPARE(ClientSize(window), QSize(Twips(5520), Twips(6315)));
        for (const auto& [name, place] : FormPlaces()) {
            QCOMPARE(Find(window, name.toUtf8().constData())->geometry(), place);
        }
        // The window may grow, not shrink below the form.
        window.resize(100, 100);
        QTRY_COMPARE(ClientSize(window), QSize(Twips(5520), Twips(6315)));
    }

    void enlargedText1GrowsAndTheSoundBoxStaysBeneathIt() {
        Form1 window;
        Show(window);
        const QSize extra(240, 180);
        window.resize(window.size() + extra);
        QTRY_COMPARE(ClientSize(window), QSize(Twips(5520), Twips(6315)) + extra);

        const std::map<QString, QRect>& form = FormPlaces();
        QCOMPARE(Find(window, "Text1")->geometry(),
                 form.at("Text1").adjusted(0, 0, extra.width(), extra.height()));
        QCOMPARE(Find(window, "Label1")->geometry(),
                 form.at("Label1").adjusted(0, 0, extra.width(), 0));
        const QRect frame = Find(window, "Frame1")->geometry();
        QCOMPARE(frame.topLeft(), form.at("Frame1").topLeft() + QPoint(0, extra.height()));
        QCOMPARE(frame.height(), form.at("Frame1").height());
        QVERIFY(frame.top() > Find(window, "Text1")->geometry().bottom());
        // The Sound Box's controls keep their places from its left edge.
        for (const char* name : {"Command1", "Combo1", "PlaySound", "SaveWAVE"}) {
            QCOMPARE(Find(window, name)->geometry(), form.at(name));
        }
    }

    void laterStartsRestoreTheSizeTheUserLeft() {
        const QSize form(Twips(5520), Twips(6315));
        const QSize larger = form + QSize(120, 90);
        {
            Form1 window;
            Show(window);
            window.resize(window.size() + (larger - form));
            QTRY_COMPARE(ClientSize(window), larger);
            window.close();
        }
        {
            Form1 window;
            Show(window);
            QCOMPARE(ClientSize(window), larger);
        }
        // A saved size that is no size, or smaller than the form, gives the form.
        for (const QVariant& saved : {QVariant("wide"), QVariant(QSize(50, 40))}) {
            QSettings().setValue("Form1/clientSize", saved);
            Form1 window;
            Show(window);
            QCOMPARE(ClientSize(window), form);
        }
    }

    // ---- Keys ----

    void menuItemsHaveMnemonicsAndTheRateListAName() {
        Form1 window;
        QCOMPARE(Find<QComboBox>(window, "Combo1")->accessibleName(),
                 QString("Playback rate, samples per second"));
        QList<QList<QAction*>> menus = {window.menuBar()->actions()};
        for (QAction* action : window.menuBar()->actions()) {
            if (action->menu() != nullptr) {
                menus.append(action->menu()->actions());
            }
        }
        for (const QList<QAction*>& menu : menus) {
            QSet<QChar> keys;
            for (QAction* action : menu) {
                const QString text = action->text();
                const qsizetype at = text.indexOf('&');
                QVERIFY2(at >= 0 && at + 1 < text.size(), qPrintable(text));
                const QChar key = text.at(at + 1).toLower();
                QVERIFY2(!keys.contains(key), qPrintable(text));  // one key, one item
                keys.insert(key);
            }
        }
    }

    void ctrlOOpensAndF1ShowsTheHeaderDetails() {
        Form1 window;
        Show(window);
        QVERIFY(QTest::qWaitForWindowActive(&window));

        bool dialog_shown = false;
        QTimer::singleShot(0, &window, [&] {
            if (auto* dialog = window.findChild<QFileDialog*>("CommonDialog1")) {
                dialog_shown = dialog->isVisible();
                dialog->reject();
            }
        });
        QTest::keyClick(&window, Qt::Key_O, Qt::ControlModifier);
        QVERIFY(dialog_shown);

        window.activateWindow();  // the platform gives it back no focus of its own
        QVERIFY(QTest::qWaitForWindowActive(&window));
        bool details_shown = false;
        QTimer::singleShot(0, &window, [&] {
            if (auto* viewer = window.findChild<tremorline::app::HelpText*>()) {
                details_shown = viewer->isVisible() && viewer->windowTitle() == "Tremorline.txt";
                viewer->close();
            }
        });
        QTest::keyClick(&window, Qt::Key_F1);
        QVERIFY(details_shown);
    }

    void ctrlQExits() {
        Form1 window;
        Show(window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTimer::singleShot(0, &window,
                           [&] { QTest::keyClick(&window, Qt::Key_Q, Qt::ControlModifier); });
        QTimer::singleShot(10000, [] { QCoreApplication::exit(1); });  // the guard
        QCOMPARE(QCoreApplication::exec(), 0);
    }

    // ---- Opening ----

    // A dropped file opens as File > Open opens it, and its outputs go beside
    // it; the status line then names the file Make PSN wrote.
    void aDroppedFileOpensAndWritesBesideItself() {
        QTemporaryDir dir;
        const QString trace = WriteTrace(dir, QString::fromUtf8("d\u00e9p\u00f4t.sac"));
        Form1 window;
        Show(window);
        window.StartUp("");
        QVERIFY(Drop(window, {QUrl::fromLocalFile(trace)}));
        QCOMPARE(Find<QLabel>(window, "Label1")->text(), QString::fromUtf8("d\u00e9p\u00f4t.sac"));
        QVERIFY2(Text1(window).startsWith(QString::fromUtf8("d\u00e9p\u00f4t.sac\nORIGIN: ")),
                 qPrintable(Text1(window)));

        Find<QAction>(window, "mnuMakePSN")->trigger();
        QVERIFY(QFile::exists(dir.filePath(kPsnName)));
        QCOMPARE(window.statusBar()->currentMessage(),
                 "PSN file written: " + dir.filePath(kPsnName));
    }

    void onlyOneFileIsTakenFromADrag() {
        QTemporaryDir dir;
        const QUrl one = QUrl::fromLocalFile(WriteTrace(dir, "one.sac"));
        const QUrl two = QUrl::fromLocalFile(WriteTrace(dir, "two.sac"));
        Form1 window;
        window.StartUp("");
        QVERIFY(!Drop(window, {one, two}));
        QVERIFY(!Drop(window, {QUrl::fromLocalFile(dir.path())}));
        QVERIFY(!Drop(window, {QUrl("https://example.org/trace.sac")}));
        QCOMPARE(Find<QLabel>(window, "Label1")->text(), QString());
        QCOMPARE(Text1(window), QString());
        // The summary takes no drop of its own, so a file dropped on it
        // reaches the window.
        QVERIFY(!Find<QPlainTextEdit>(window, "Text1")->viewport()->acceptDrops());
    }

    void cancellingOpenLeavesTheWindowAsItWas() {
        QTemporaryDir dir;
        Form1 window;
        window.StartUp(WriteTrace(dir, "kept.sac").toStdString());
        const QString summary = Text1(window);
        const QString label = Find<QLabel>(window, "Label1")->text();

        QTimer::singleShot(0, &window, [&] {
            if (auto* dialog = window.findChild<QFileDialog*>("CommonDialog1")) {
                dialog->reject();
            }
        });
        Find<QAction>(window, "mnuItemOpen")->trigger();
        QCOMPARE(Text1(window), summary);
        QCOMPARE(Find<QLabel>(window, "Label1")->text(), label);
        QVERIFY(Find<QAction>(window, "mnuMakePSN")->isEnabled());
        QVERIFY(Find(window, "Command1")->isEnabled());
        // The trace is still open: Make PSN writes it.
        Find<QAction>(window, "mnuMakePSN")->trigger();
        QVERIFY(QFile::exists(dir.filePath(kPsnName)));
    }

    // The error names the file as the system writes it, and why it failed.
    void aFailedOpenShowsErrorAndTheReason() {
        QTemporaryDir dir;
        const QString missing = dir.filePath(QString::fromUtf8("s\u00e9isme.sac"));
        Form1 window;
        window.StartUp(QFile::encodeName(missing).toStdString());
        QCOMPARE(Text1(window), "Error\nCannot open " + missing + ": No such file or directory");
        QVERIFY(!Find<QAction>(window, "mnuMakePSN")->isEnabled());
        QVERIFY(!Find(window, "Command1")->isEnabled());
    }

    // However the program was started, a trace named on its command line has
    // its PSN file written beside it.
    void aTraceGivenAtStartUpWritesBesideItself() {
        QTemporaryDir dir;
        Form1 window;
        window.StartUp("\"" + QFile::encodeName(WriteTrace(dir, "start.sac")).toStdString() + "\"");
        const QList<AnsweredBox> boxes =
            AnswerBoxes([&] { Find<QAction>(window, "mnuMakePSN")->trigger(); });
        QVERIFY(boxes.isEmpty());  // no box on success
        QVERIFY(QFile::exists(dir.filePath(kPsnName)));
        QCOMPARE(window.statusBar()->currentMessage(),
                 "PSN file written: " + dir.filePath(kPsnName));
    }

    // ---- Long commands ----

    // A long step runs beside the window, which goes on handling events; a
    // question from the step is asked on the window's thread; after about
    // half a second a progress bar offers Cancel, which stops the step.
    void longStepsShowProgressAndCancel() {
        Form1 window;
        Show(window);
        int ticks = 0;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
        ticker.start(10);
        QElapsedTimer clock;
        qint64 progress_shown_at = -1;
        QTimer canceller;
        QObject::connect(&canceller, &QTimer::timeout, [&] {
            auto* dialog = window.findChild<QDialog*>("ProgressDialog");
            if (dialog != nullptr && dialog->isVisible() && progress_shown_at < 0) {
                progress_shown_at = clock.elapsed();
                QTest::mouseClick(Find<QPushButton>(*dialog, "cmdCancel"), Qt::LeftButton);
            }
        });
        canceller.start(10);
        bool answer = false;
        bool cancelled = false;
        clock.start();
        const QList<AnsweredBox> boxes = AnswerBoxes([&] {
            try {
                window.RunLong("Testing", [&](const tremorline::Progress& progress) {
                    answer = window.AskYesNo("Go on?");
                    for (std::uint64_t done = 0;; ++done) {
                        progress.Step(done % 1000, 1000);
                        std::this_thread::yield();
                    }
                });
            } catch (const tremorline::Cancelled&) {
                cancelled = true;
            }
        });
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].text, QString("Go on?"));
        QVERIFY(answer);
        QVERIFY(cancelled);
        QVERIFY2(progress_shown_at >= 450, qPrintable(QString::number(progress_shown_at)));
        QVERIFY2(ticks >= 5, qPrintable(QString::number(ticks)));  // the window went on
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        QCoreApplication::processEvents();
        auto* dialog = window.findChild<QDialog*>("ProgressDialog");
        QVERIFY(dialog == nullptr || !dialog->isVisible());
    }

    // Set Up Sound and Make PSN run under the wait cursor; a box they show
    // has the ordinary cursor, and none is left behind, also after a failure.
    void longCommandsLeaveNoBusyCursorBehind() {
        QTemporaryDir dir;
        Form1 window;
        Show(window);
        window.StartUp(WriteTrace(dir, "busy.sac").toStdString());
        QList<AnsweredBox> boxes =
            AnswerBoxes([&] { Find<QPushButton>(window, "Command1")->click(); });
        QCOMPARE(boxes.size(), 2);  // the levels and the rate advice
        for (const AnsweredBox& box : boxes) {
            QCOMPARE(box.cursor, Qt::ArrowCursor);
        }
        QCOMPARE(QApplication::overrideCursor(), nullptr);

        // A folder where the file should go: the write fails with a box.
        QVERIFY(QDir(dir.path()).mkdir(kPsnName));
        QFile(dir.filePath(kPsnName + "/inside")).open(QIODevice::WriteOnly);
        boxes = AnswerBoxes([&] { Find<QAction>(window, "mnuMakePSN")->trigger(); });
        QVERIFY(!boxes.isEmpty());
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        QCOMPARE(window.statusBar()->currentMessage(), QString());
    }
};

QTEST_MAIN(MainWindowDesktopTest)
#include "main_window_desktop_test.moc"
