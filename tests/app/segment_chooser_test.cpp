// SPDX-License-Identifier: MIT
// The list that asks which segment of a miniSEED file to load, with the real
// widgets on the offscreen platform, reached the way the window reaches it.

#include <QApplication>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "app/main_window.h"
#include "app/segment_chooser.h"
#include "support/scratch_settings.h"

using tremorline::app::Form1;
using tremorline::app::SegmentChooser;
using tremorline::app::SegmentRow;

namespace {

const std::vector<SegmentRow> kRows = {
    {"IU.COLA.00.LHZ", "2010-02-27 06:50:00.069539", "2010-02-27 07:05:39.069539", "940", "1 Hz",
     ""},
    {"IU.COLA.00.LHZ", "2010-02-27 07:07:20.069539", "2010-02-27 07:59:59.069539", "3160", "1 Hz",
     "gap of 100 s"},
    {"IU.COLA.00.LHN", "2010-02-27 06:50:00.069539", "2010-02-27 07:59:59.069539", "4200", "1 Hz",
     ""},
};

// Runs `act` on the chooser once the window's modal loop has shown it.
void WhenShown(const std::function<void(SegmentChooser&, QTableWidget&)>& act) {
    QTimer::singleShot(0, [act] {
        auto* chooser = qobject_cast<SegmentChooser*>(QApplication::activeModalWidget());
        if (chooser == nullptr) {
            return;  // the chooser then blocks; the test's time limit reports it
        }
        auto* table = chooser->findChild<QTableWidget*>("tblSegments");
        act(*chooser, *table);
    });
}

QPushButton* Button(SegmentChooser& chooser, QDialogButtonBox::StandardButton which) {
    return chooser.findChild<QDialogButtonBox*>("btnSegments")->button(which);
}

}  // namespace

class SegmentChooserTest : public QObject {
    Q_OBJECT

    tremorline::testing::ScratchSettings settings_{"segment_chooser_test"};

  private slots:
    void listsEverySegmentWithTheFirstSelected() {
        SegmentChooser chooser(kRows);
        QCOMPARE(chooser.objectName(), QString("dlgSegments"));
        auto* table = chooser.findChild<QTableWidget*>("tblSegments");
        QVERIFY(table != nullptr);
        QCOMPARE(table->rowCount(), 3);
        QCOMPARE(table->columnCount(), 6);
        QCOMPARE(table->item(1, 0)->text(), QString("IU.COLA.00.LHZ"));
        QCOMPARE(table->item(1, 1)->text(), QString("2010-02-27 07:07:20.069539"));
        QCOMPARE(table->item(1, 2)->text(), QString("2010-02-27 07:59:59.069539"));
        QCOMPARE(table->item(1, 3)->text(), QString("3160"));
        QCOMPARE(table->item(1, 4)->text(), QString("1 Hz"));
        QCOMPARE(table->item(1, 5)->text(), QString("gap of 100 s"));
        QCOMPARE(table->item(2, 0)->text(), QString("IU.COLA.00.LHN"));
        QCOMPARE(table->currentRow(), 0);
    }

    void choosingARowGivesItsIndex() {
        Form1 window;
        WhenShown([](SegmentChooser& chooser, QTableWidget& table) {
            table.selectRow(2);
            Button(chooser, QDialogButtonBox::Ok)->click();
        });
        QCOMPARE(window.ChooseSegment(kRows), std::optional<std::size_t>(2));
    }

    void aDoubleClickedRowIsChosen() {
        Form1 window;
        WhenShown([](SegmentChooser&, QTableWidget& table) {
            table.selectRow(1);
            emit table.cellDoubleClicked(1, 0);
        });
        QCOMPARE(window.ChooseSegment(kRows), std::optional<std::size_t>(1));
    }

    void cancelChoosesNothing() {
        Form1 window;
        WhenShown([](SegmentChooser& chooser, QTableWidget& table) {
            table.selectRow(1);
            Button(chooser, QDialogButtonBox::Cancel)->click();
        });
        QCOMPARE(window.ChooseSegment(kRows), std::optional<std::size_t>());
    }
};

QTEST_MAIN(SegmentChooserTest)
#include "segment_chooser_test.moc"
