// SPDX-License-Identifier: MIT
#pragma once

// The Sound Box's Filter button: its menu lists None, the presets and
// Custom…, which opens a small dialog for the kind, the corners, the corner
// frequencies and zero phase. The last custom filter is kept between runs.
// The button only offers: the Sound Box decides whether a choice is taken
// (a trace may refuse it) and tells the button what to show.

#include <QDialog>
#include <QPushButton>
#include <functional>
#include <optional>

#include "dsp/filter_text.h"

class QAction;
class QActionGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QSpinBox;

namespace tremorline::app {

// The custom filter kept between runs; a band-pass 1-10 Hz, 4 corners, zero
// phase when none was kept or what was kept is no filter.
dsp::FilterRequest LoadCustomFilter();
void SaveCustomFilter(const dsp::FilterRequest& request);

class CustomFilterDialog : public QDialog {
    Q_OBJECT

  public:
    explicit CustomFilterDialog(const dsp::FilterRequest& initial, QWidget* parent = nullptr);

    // What the fields say, or nothing (with the reason shown in the dialog)
    // when they give no filter.
    std::optional<dsp::FilterRequest> Request();

    // Shows the dialog and waits: the filter, nothing when cancelled.
    static std::optional<dsp::FilterRequest> Ask(const dsp::FilterRequest& initial,
                                                 QWidget* parent);

    void accept() override;

  private:
    // Only the corners the kind has can be typed into.
    void ShowKind();

    QComboBox* cboKind = nullptr;
    QLineEdit* txtLow = nullptr;
    QLineEdit* txtHigh = nullptr;
    QSpinBox* spnCorners = nullptr;
    QCheckBox* chkZeroPhase = nullptr;
    QLabel* lblProblem = nullptr;
};

class FilterChooser : public QPushButton {
    Q_OBJECT

  public:
    explicit FilterChooser(QWidget* parent);

    // Shows `request` as the filter in use: checked in the menu, named on
    // the button and in its tooltip.
    void Show(const dsp::FilterRequest& request);
    QMenu* Menu() const { return menu_; }

  signals:
    // The user picked `request` from the menu or the dialog.
    void picked(const dsp::FilterRequest& request);

  private:
    void PickCustom();

    QMenu* menu_ = nullptr;
    QActionGroup* group_ = nullptr;
    QAction* custom_ = nullptr;  // Custom…, checked while a custom filter is in use
    QLabel* caption_ = nullptr;
    dsp::FilterRequest shown_;
};

}  // namespace tremorline::app
