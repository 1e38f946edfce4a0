// SPDX-License-Identifier: MIT
#pragma once

// The modal dialog in which the user sets the spectrogram's window length and
// overlap and the dB range of its colours. An empty field means "from the
// trace": about 2.56 s for the window, the data's 5th percentile and maximum
// for the colours.

#include <QDialog>
#include <optional>

#include "app/spectrogram_pane.h"

class QLabel;
class QLineEdit;

namespace tremorline::app {

class SpectrogramSettingsDialog : public QDialog {
    Q_OBJECT

  public:
    explicit SpectrogramSettingsDialog(const SpectrogramChoice& choice, QWidget* parent = nullptr);

    // What the fields say, or nothing (with the reason shown in the dialog)
    // when a field holds no acceptable value.
    std::optional<SpectrogramChoice> Choice();

    // Shows the dialog and waits: the new choice, nothing when cancelled.
    static std::optional<SpectrogramChoice> Ask(const SpectrogramChoice& choice, QWidget* parent);

    void accept() override;

  private:
    QLineEdit* txtWindow = nullptr;
    QLineEdit* txtOverlap = nullptr;
    QLineEdit* txtDbLow = nullptr;
    QLineEdit* txtDbHigh = nullptr;
    QLabel* lblProblem = nullptr;
};

}  // namespace tremorline::app
