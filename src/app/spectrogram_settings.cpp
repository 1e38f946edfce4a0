// SPDX-License-Identifier: MIT
#include "app/spectrogram_settings.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <cmath>
#include <string>

namespace tremorline::app {
namespace {

QString Field(const std::optional<double>& value) {
    return value ? QString::number(*value, 'g', 10) : QString();
}

// The number in `edit`: nothing for an empty field; false when it holds
// something else.
bool ReadField(const QLineEdit* edit, std::optional<double>& value) {
    const QString text = edit->text().trimmed();
    if (text.isEmpty()) {
        value.reset();
        return true;
    }
    bool ok = false;
    const double number = text.toDouble(&ok);
    if (!ok || !std::isfinite(number)) {
        return false;
    }
    value = number;
    return true;
}

QLineEdit* NumberEdit(const char* name, const QString& text, const QString& placeholder,
                      QWidget* parent) {
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(name);
    edit->setPlaceholderText(placeholder);
    return edit;
}

}  // namespace

SpectrogramSettingsDialog::SpectrogramSettingsDialog(const SpectrogramChoice& choice,
                                                     QWidget* parent)
    : QDialog(parent) {
    setObjectName("dlgSpectrogram");
    setWindowTitle("Spectrogram Settings");
    setModal(true);
    txtWindow = NumberEdit("txtWindow", Field(choice.settings.window_seconds),
                           "from the trace (about 2.56)", this);
    txtOverlap = NumberEdit("txtOverlap", Field(choice.settings.overlap), "0 to below 1", this);
    txtDbLow = NumberEdit("txtDbLow", Field(choice.db_low), "from the data", this);
    txtDbHigh = NumberEdit("txtDbHigh", Field(choice.db_high), "from the data", this);
    lblProblem = new QLabel(this);
    lblProblem->setObjectName("lblProblem");
    lblProblem->setWordWrap(true);

    auto* form = new QFormLayout;
    form->addRow("&Window (seconds):", txtWindow);
    form->addRow("&Overlap:", txtOverlap);
    form->addRow("&Lowest power (dB):", txtDbLow);
    form->addRow("&Highest power (dB):", txtDbHigh);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName("btnSpectrogram");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(lblProblem);
    layout->addWidget(buttons);
}

std::optional<SpectrogramChoice> SpectrogramSettingsDialog::Choice() {
    SpectrogramChoice choice;
    std::optional<double> overlap;
    QString problem;
    if (!ReadField(txtWindow, choice.settings.window_seconds)) {
        problem = "The window must be a number of seconds.";
    } else if (!ReadField(txtOverlap, overlap)) {
        problem = "The overlap must be a number.";
    } else if (!ReadField(txtDbLow, choice.db_low) || !ReadField(txtDbHigh, choice.db_high)) {
        problem = "The power limits must be numbers of dB.";
    }
    if (problem.isEmpty() && choice.settings.window_seconds) {
        if (const auto bad = dsp::WindowSecondsProblem(*choice.settings.window_seconds)) {
            problem = QString::fromStdString("The " + bad->substr(4) + ".");
        }
    }
    choice.settings.overlap = overlap.value_or(dsp::kDefaultOverlap);
    if (problem.isEmpty()) {
        if (const auto bad = dsp::OverlapProblem(choice.settings.overlap)) {
            problem = QString::fromStdString("The " + bad->substr(4) + ".");
        }
    }
    if (problem.isEmpty() && choice.db_low && choice.db_high &&
        !(*choice.db_high > *choice.db_low)) {
        problem = "The highest power must be above the lowest.";
    }
    lblProblem->setText(problem);
    if (!problem.isEmpty()) {
        return std::nullopt;
    }
    return choice;
}

void SpectrogramSettingsDialog::accept() {
    if (Choice()) {
        QDialog::accept();
    }
}

std::optional<SpectrogramChoice> SpectrogramSettingsDialog::Ask(const SpectrogramChoice& choice,
                                                                QWidget* parent) {
    SpectrogramSettingsDialog dialog(choice, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.Choice();
}

}  // namespace tremorline::app
