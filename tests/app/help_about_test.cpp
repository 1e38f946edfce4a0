// SPDX-License-Identifier: MIT
// The help text viewer, the About window and the help file itself, with the
// real widgets on the offscreen platform.

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <string>

#include "app/about_window.h"
#include "app/help_text.h"
#include "sac/sac_header.h"

using tremorline::app::FindHelpFile;
using tremorline::app::frmAbout;
using tremorline::app::HelpText;
using tremorline::app::ShowAbout;

namespace {

const QString kHelpName = QStringLiteral("Tremorline.txt");

void WriteFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll();
}

QString ShownText(HelpText& viewer) {
    return viewer.findChild<QPlainTextEdit*>(QStringLiteral("Text1"))->toPlainText();
}

QString LabelText(QWidget& window, const QString& name) {
    auto* label = window.findChild<QLabel*>(name);
    return label != nullptr ? label->text() : QStringLiteral("<no %1>").arg(name);
}

// The name of each header variable number 0-132, from the three field-name
// tables; "KEVNM*" (two slots, one number) is written KEVNM.
QStringList NamesByNumber() {
    QStringList names;
    auto add = [&names](const auto& table) {
        for (std::string_view label : table) {
            const auto words = QString::fromLatin1(label.data(), qsizetype(label.size()))
                                   .split(QLatin1Char(' '), Qt::SkipEmptyParts);
            for (const QString& word : words) {
                names << QString(word).remove(QLatin1Char('*'));
            }
        }
    };
    add(tremorline::sac::RealFieldLabels);
    add(tremorline::sac::IntegerFieldLabels);
    add(tremorline::sac::TextFieldLabels);
    return names;
}

bool IsSharedWord(const QString& name) {
    return name == "INTRNL" || name == "UNUSED" || name == "UNUSD" || name == "UNSD";
}

}  // namespace

class HelpAboutTest : public QObject {
    Q_OBJECT

  private slots:
    void viewerShowsTheFileOrSaysItIsMissing_data() {
        QTest::addColumn<QString>("file_in");  // "bin", "share", "both", "none" or "folder"
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("found_in");

        const QString missing = QStringLiteral("Sorry. Tremorline.txt not found.");
        QTest::newRow("LF line ends") << "bin" << QByteArray("one\ntwo\n") << "one\ntwo\n"
                                      << "bin";
        QTest::newRow("CR LF line ends leave no stray character")
            << "bin" << QByteArray("one\r\ntwo\r\n\r\nfour") << "one\ntwo\n\nfour"
            << "bin";
        QTest::newRow("a lone CR ends a line") << "bin" << QByteArray("one\rtwo") << "one\ntwo"
                                               << "bin";
        QTest::newRow("bytes above 127 are Latin-1")
            << "bin" << QByteArray("\xb0 \xe9\xff") << QString::fromUtf8("\u00b0 \u00e9\u00ff")
            << "bin";
        QTest::newRow("an empty file shows nothing") << "bin" << QByteArray() << ""
                                                     << "bin";
        QTest::newRow("installed beside the program in share/tremorline")
            << "share" << QByteArray("installed") << "installed"
            << "share";
        QTest::newRow("the program's folder comes first") << "both" << QByteArray("near") << "near"
                                                          << "bin";
        QTest::newRow("no file") << "none" << QByteArray() << missing << "";
        QTest::newRow("a folder of that name is not the file")
            << "folder" << QByteArray() << missing << "";
    }
    void viewerShowsTheFileOrSaysItIsMissing() {
        QFETCH(QString, file_in);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, shown);
        QFETCH(QString, found_in);

        QTemporaryDir prefix;
        const QString bin = prefix.filePath(QStringLiteral("bin"));
        const QString share = prefix.filePath(QStringLiteral("share/tremorline"));
        QVERIFY(QDir().mkpath(bin));
        if (file_in == "bin" || file_in == "both") {
            WriteFile(bin + "/" + kHelpName, bytes);
        }
        if (file_in == "share" || file_in == "both") {
            WriteFile(share + "/" + kHelpName, file_in == "both" ? QByteArray("far") : bytes);
        }
        if (file_in == "folder") {
            QVERIFY(QDir().mkpath(bin + "/" + kHelpName));
        }

        HelpText viewer;
        viewer.SetProgramFolder(bin);
        viewer.SetTitle(kHelpName);
        viewer.LoadText();

        QCOMPARE(viewer.windowTitle(), kHelpName);
        QCOMPARE(ShownText(viewer), shown);
        const QString expected_path =
            found_in.isEmpty() ? QString() : (found_in == "bin" ? bin : share) + "/" + kHelpName;
        QCOMPARE(viewer.FilePath(), expected_path);
    }

    void displayIsModalAndOkClosesIt() {
        HelpText viewer;
        viewer.SetProgramFolder(QStringLiteral("/nonexistent-tremorline-folder"));
        viewer.setProperty("Title", kHelpName);
        bool was_modal = false;
        QTimer::singleShot(0, &viewer, [&] {
            was_modal = QApplication::activeModalWidget() == &viewer;
            viewer.findChild<QPushButton*>(QStringLiteral("OKButton"))->click();
        });
        viewer.DISPLAY();  // returns only once OK has closed it
        QVERIFY(was_modal);
        QVERIFY(!viewer.isVisible());
        QCOMPARE(ShownText(viewer), QStringLiteral("Sorry. Tremorline.txt not found."));
    }

    void viewerUsesAFixedPitchFont() {
        HelpText viewer;
        auto* text = viewer.findChild<QPlainTextEdit*>(QStringLiteral("Text1"));
        QVERIFY(text->isReadOnly());
        const QFontMetricsF metrics(text->font());
        QCOMPARE(metrics.horizontalAdvance(QStringLiteral("iiii")),
                 metrics.horizontalAdvance(QStringLiteral("MMMM")));
    }

    void aboutNamesTheProgram() {
        frmAbout about;
        QCOMPARE(about.windowTitle(), QStringLiteral("About Tremorline"));
        QCOMPARE(LabelText(about, "lblTitle"), "Tremorline");
        QCOMPARE(LabelText(about, "lblVersion"), "Version 1.1.5");
        QCOMPARE(LabelText(about, "lblDescription"),
                 "Reads SAC or miniSEED file header contents, and converts file to PSNTYPE4. "
                 "Plays and saves WAV sound files.");
        QCOMPARE(LabelText(about, "lblDisclaimer"), "Tremorline contributors");
    }

    void aboutShowsTheProgramIcon() {
        frmAbout about;
        const QPixmap icon = about.findChild<QLabel*>(QStringLiteral("picIcon"))->pixmap();
        QCOMPARE(icon.size(), QSize(32, 32));
        QVERIFY(!about.windowIcon().isNull());
    }

    void aboutIsOneModelessWindow() {
        QWidget owner;
        QPointer<frmAbout> the_one;
        frmAbout* first = ShowAbout(the_one, &owner);
        QVERIFY(first->isVisible());
        QVERIFY(!first->isModal());
        QCOMPARE(QApplication::activeModalWidget(), nullptr);

        QCOMPARE(ShowAbout(the_one, &owner), first);
        QCOMPARE(owner.findChildren<frmAbout*>().size(), 1);

        // OK closes and unloads it; the next About makes a fresh one.
        first->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(the_one.isNull());
        frmAbout* second = ShowAbout(the_one, &owner);
        QVERIFY(second != nullptr && second->isVisible());
        QCOMPARE(owner.findChildren<frmAbout*>().size(), 1);
    }

    // The help file kept in data/ names every header field and fits the
    // viewer: plain ASCII, LF line ends, no line wider than the text box.
    void helpFileCoversTheHeader() {
        const QByteArray bytes = ReadFile(QStringLiteral(TREMORLINE_DATA_DIR "/Tremorline.txt"));
        QVERIFY(!bytes.isEmpty());
        QVERIFY(!bytes.contains('\r'));
        QVERIFY(!bytes.contains('\t'));
        for (char byte : bytes) {
            QVERIFY2(byte == '\n' || (byte >= ' ' && byte <= '~'), "not printable ASCII");
        }
        int line_number = 0;
        for (const QByteArray& line : bytes.split('\n')) {
            ++line_number;
            QVERIFY2(line.size() <= 78,
                     qPrintable(QStringLiteral("line %1 is too wide").arg(line_number)));
        }
        // Each field is explained as "NAME [number]" or, for a run of like
        // fields, "FIRST-LAST [first-last]"; the shared words once, in prose.
        const QString text = QString::fromLatin1(bytes);
        const QStringList names = NamesByNumber();
        QCOMPARE(names.size(), 133);
        QList<bool> explained(names.size(), false);
        const QRegularExpression entry(
            QStringLiteral("\\b([A-Z][A-Z0-9]*)(?:-([A-Z][A-Z0-9]*))? \\[(\\d+)(?:-(\\d+))?\\]"));
        for (const QRegularExpressionMatch& match : entry.globalMatch(text)) {
            const int first = match.captured(3).toInt();
            const int last = match.captured(4).isEmpty() ? first : match.captured(4).toInt();
            QVERIFY2(first <= last && last < names.size() && names[first] == match.captured(1) &&
                         names[last] ==
                             (match.captured(2).isEmpty() ? match.captured(1) : match.captured(2)),
                     qPrintable(match.captured(0) + " names the wrong number"));
            for (int number = first; number <= last; ++number) {
                explained[number] = true;
            }
        }
        for (int number = 0; number < names.size(); ++number) {
            QVERIFY2(
                explained[number] || IsSharedWord(names[number]),
                qPrintable(
                    QStringLiteral("%1 [%2] is not explained").arg(names[number]).arg(number)));
        }
        for (const char* shared : {"INTRNL", "UNUSED", "UNUSD", "UNSD"}) {
            QVERIFY2(text.contains(QString::fromLatin1(shared) + " "), shared);
        }
        QVERIFY(text.contains("-12345"));
    }

    // Run by the installed-tree test with the prefix it installed into:
    // the installed program finds the installed help file.
    void installedProgramFindsItsHelp() {
        const QString prefix = qEnvironmentVariable("TREMORLINE_INSTALL_PREFIX");
        if (prefix.isEmpty()) {
            QSKIP("only run by the installed-tree test");
        }
        const QString bin = prefix + QStringLiteral("/bin");
        QVERIFY(QFileInfo(bin + QStringLiteral("/tremorline")).isExecutable());
        const QString found = FindHelpFile(bin, kHelpName);
        QCOMPARE(found, prefix + QStringLiteral("/share/tremorline/Tremorline.txt"));

        HelpText viewer;
        viewer.SetProgramFolder(bin);
        viewer.SetTitle(kHelpName);
        viewer.LoadText();
        const QByteArray source = ReadFile(QStringLiteral(TREMORLINE_DATA_DIR "/Tremorline.txt"));
        QCOMPARE(ShownText(viewer), QString::fromLatin1(source));
    }
};

QTEST_MAIN(HelpAboutTest)
#include "help_about_test.moc"
