// SPDX-License-Identifier: MIT
#pragma once

// The modal list that asks which segment of a miniSEED file to load when the
// file holds several (several channels, or a gap or overlap in one).

#include <QDialog>
#include <cstddef>
#include <optional>
#include <vector>

#include "app/window_ops.h"

class QTableWidget;

namespace tremorline::app {

class SegmentChooser : public QDialog {
    Q_OBJECT

  public:
    // One table row per segment, in the order given, the first selected.
    SegmentChooser(const std::vector<SegmentRow>& rows, QWidget* parent = nullptr);

    // The selected row, once the dialog has been accepted.
    std::optional<std::size_t> ChosenRow() const;

    // Shows the dialog and waits: the row chosen, nothing when cancelled.
    static std::optional<std::size_t> Ask(const std::vector<SegmentRow>& rows, QWidget* parent);

  private:
    QTableWidget* tblSegments = nullptr;
};

}  // namespace tremorline::app
