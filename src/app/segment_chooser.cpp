// SPDX-License-Identifier: MIT
#include "app/segment_chooser.h"

#include <QAbstractItemView>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace tremorline::app {
namespace {

QTableWidgetItem* Cell(const std::string& text) {
    auto* item = new QTableWidgetItem(QString::fromStdString(text));
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    return item;
}

}  // namespace

SegmentChooser::SegmentChooser(const std::vector<SegmentRow>& rows, QWidget* parent)
    : QDialog(parent) {
    setObjectName("dlgSegments");
    setWindowTitle("Choose a Segment");
    setModal(true);

    auto* prompt = new QLabel("The file holds several segments. Choose the one to load.", this);
    prompt->setObjectName("lblSegments");

    tblSegments = new QTableWidget(static_cast<int>(rows.size()), 6, this);
    tblSegments->setObjectName("tblSegments");
    tblSegments->setHorizontalHeaderLabels(
        {"Source", "Start", "End", "Samples", "Rate", "Before it"});
    tblSegments->verticalHeader()->setVisible(false);
    tblSegments->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblSegments->setSelectionMode(QAbstractItemView::SingleSelection);
    tblSegments->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int row = 0; row < tblSegments->rowCount(); ++row) {
        const SegmentRow& segment = rows[static_cast<std::size_t>(row)];
        tblSegments->setItem(row, 0, Cell(segment.source));
        tblSegments->setItem(row, 1, Cell(segment.start));
        tblSegments->setItem(row, 2, Cell(segment.end));
        tblSegments->setItem(row, 3, Cell(segment.samples));
        tblSegments->setItem(row, 4, Cell(segment.rate));
        tblSegments->setItem(row, 5, Cell(segment.before));
    }
    tblSegments->resizeColumnsToContents();
    tblSegments->horizontalHeader()->setStretchLastSection(true);
    if (tblSegments->rowCount() > 0) {
        tblSegments->selectRow(0);
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName("btnSegments");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // A double click on a row chooses it.
    connect(tblSegments, &QTableWidget::cellDoubleClicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(tblSegments);
    layout->addWidget(buttons);
    resize(760, 300);
}

std::optional<std::size_t> SegmentChooser::ChosenRow() const {
    if (result() != QDialog::Accepted) {
        return std::nullopt;
    }
    const int row = tblSegments->currentRow();
    if (row < 0) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(row);
}

std::optional<std::size_t> SegmentChooser::Ask(const std::vector<SegmentRow>& rows,
                                               QWidget* parent) {
    SegmentChooser chooser(rows, parent);
    chooser.exec();
    return chooser.ChosenRow();
}

}  // namespace tremorline::app
