// SPDX-License-Identifier: MIT
#include "app/filter_chooser.h"

#include <QActionGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSettings>
#include <QSpinBox>
#include <QVBoxLayout>
#include <cmath>
#include <string>

#include "common/user_error.h"

namespace tremorline::app {
namespace {

const QString kCustomKindKey = QStringLiteral("filter/customKind");
const QString kCustomLowKey = QStringLiteral("filter/customLow");
const QString kCustomHighKey = QStringLiteral("filter/customHigh");
const QString kCustomCornersKey = QStringLiteral("filter/customCorners");
const QString kCustomZeroPhaseKey = QStringLiteral("filter/customZeroPhase");

// The kinds the dialog offers, in its list's order, with their filter texts.
struct KindItem {
    dsp::FilterKind kind;
    const char* label;
    const char* text;
};
constexpr KindItem kKinds[] = {{dsp::FilterKind::BandPass, "Band-pass", "bandpass"},
                               {dsp::FilterKind::HighPass, "High-pass", "highpass"},
                               {dsp::FilterKind::LowPass, "Low-pass", "lowpass"}};

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString Hertz(double hertz) {
    return QString::number(hertz, 'g', 10);
}

dsp::FilterRequest DefaultCustomFilter() {
    dsp::FilterRequest request;
    request.kind = dsp::FilterKind::BandPass;
    request.low = 1.0;
    request.high = 10.0;
    return request;
}

// The filter in the button's second line, short enough for it: the band in
// hertz, or the audible band's name.
QString ShortName(const dsp::FilterRequest& request) {
    switch (request.kind) {
        case dsp::FilterKind::None:
            return "none";
        case dsp::FilterKind::Audible:
            return "audible";
        case dsp::FilterKind::BandPass:
            return Hertz(request.low) + "-" + Hertz(request.high) + " Hz";
        case dsp::FilterKind::HighPass:
            return "> " + Hertz(request.low) + " Hz";
        case dsp::FilterKind::LowPass:
            return "< " + Hertz(request.high) + " Hz";
    }
    return {};
}

}  // namespace

dsp::FilterRequest LoadCustomFilter() {
    const QSettings settings;
    const std::string kind = settings.value(kCustomKindKey).toString().toStdString();
    std::string text = kind;
    for (const QString& key : {kCustomLowKey, kCustomHighKey}) {
        if (settings.contains(key)) {
            text += ":" + dsp::FrequencyText(settings.value(key).toDouble());
        }
    }
    const dsp::FilterTextReading reading = dsp::ReadFilterText(text);
    bool corners_read = false;
    const int corners = settings.value(kCustomCornersKey).toInt(&corners_read);
    if (!reading.request || !reading.request->Active() || !reading.request->preset.empty() ||
        !corners_read || !dsp::ValidCorners(corners)) {
        return DefaultCustomFilter();
    }
    dsp::FilterRequest request = *reading.request;
    request.corners = corners;
    request.zero_phase = settings.value(kCustomZeroPhaseKey, true).toBool();
    return request;
}

void SaveCustomFilter(const dsp::FilterRequest& request) {
    QSettings settings;
    for (const KindItem& item : kKinds) {
        if (item.kind == request.kind) {
            settings.setValue(kCustomKindKey, QString(item.text));
        }
    }
    settings.remove(kCustomLowKey);
    settings.remove(kCustomHighKey);
    if (request.kind != dsp::FilterKind::LowPass) {
        settings.setValue(kCustomLowKey, request.low);
    }
    if (request.kind != dsp::FilterKind::HighPass) {
        settings.setValue(kCustomHighKey, request.high);
    }
    settings.setValue(kCustomCornersKey, request.corners);
    settings.setValue(kCustomZeroPhaseKey, request.zero_phase);
}

CustomFilterDialog::CustomFilterDialog(const dsp::FilterRequest& initial, QWidget* parent)
    : QDialog(parent) {
    setObjectName("dlgCustomFilter");
    setWindowTitle("Custom Filter");
    setModal(true);
    cboKind = new QComboBox(this);
    cboKind->setObjectName("cboKind");
    for (const KindItem& item : kKinds) {
        cboKind->addItem(item.label);
        if (item.kind == initial.kind) {
            cboKind->setCurrentIndex(cboKind->count() - 1);
        }
    }
    txtLow =
        new QLineEdit(initial.kind != dsp::FilterKind::LowPass ? Hertz(initial.low) : "", this);
    txtLow->setObjectName("txtLow");
    txtHigh =
        new QLineEdit(initial.kind != dsp::FilterKind::HighPass ? Hertz(initial.high) : "", this);
    txtHigh->setObjectName("txtHigh");
    spnCorners = new QSpinBox(this);
    spnCorners->setObjectName("spnCorners");
    spnCorners->setRange(dsp::kMinCorners, dsp::kMaxCorners);
    spnCorners->setValue(initial.corners);
    chkZeroPhase = new QCheckBox("&Zero phase (forward and back; off: causal, for picking)", this);
    chkZeroPhase->setObjectName("chkZeroPhase");
    chkZeroPhase->setChecked(initial.zero_phase);
    lblProblem = new QLabel(this);
    lblProblem->setObjectName("lblProblem");
    lblProblem->setWordWrap(true);

    auto* form = new QFormLayout;
    form->addRow("&Kind:", cboKind);
    form->addRow("&Low corner (Hz):", txtLow);
    form->addRow("&High corner (Hz):", txtHigh);
    form->addRow("&Corners:", spnCorners);
    form->addRow(chkZeroPhase);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName("btnCustomFilter");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(cboKind, &QComboBox::currentIndexChanged, this, &CustomFilterDialog::ShowKind);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(lblProblem);
    layout->addWidget(buttons);
    ShowKind();
}

void CustomFilterDialog::ShowKind() {
    const dsp::FilterKind kind = kKinds[cboKind->currentIndex()].kind;
    txtLow->setEnabled(kind != dsp::FilterKind::LowPass);
    txtHigh->setEnabled(kind != dsp::FilterKind::HighPass);
}

std::optional<dsp::FilterRequest> CustomFilterDialog::Request() {
    const KindItem& item = kKinds[cboKind->currentIndex()];
    // The fields make a filter text, read by the same rules as the batch
    // tool's --filter, so that both refuse alike.
    std::string text = item.text;
    if (item.kind != dsp::FilterKind::LowPass) {
        text += ":" + txtLow->text().trimmed().toStdString();
    }
    if (item.kind != dsp::FilterKind::HighPass) {
        text += ":" + txtHigh->text().trimmed().toStdString();
    }
    const dsp::FilterTextReading reading = dsp::ReadFilterText(text);
    if (!reading.request) {
        lblProblem->setText(FromUtf8(AsSentence(reading.problem + ".")));
        return std::nullopt;
    }
    lblProblem->clear();
    dsp::FilterRequest request = *reading.request;
    request.corners = spnCorners->value();
    request.zero_phase = chkZeroPhase->isChecked();
    return request;
}

void CustomFilterDialog::accept() {
    if (Request()) {
        QDialog::accept();
    }
}

std::optional<dsp::FilterRequest> CustomFilterDialog::Ask(const dsp::FilterRequest& initial,
                                                          QWidget* parent) {
    CustomFilterDialog dialog(initial, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.Request();
}

FilterChooser::FilterChooser(QWidget* parent) : QPushButton(parent) {
    setObjectName("cmdFilter");
    // The caption wraps onto two lines in a small font, as the box's other
    // buttons do: "Filter" over the band in use.
    caption_ = new QLabel(this);
    caption_->setObjectName("caption");
    caption_->setAlignment(Qt::AlignCenter);
    caption_->setAttribute(Qt::WA_TransparentForMouseEvents);
    QFont small = caption_->font();
    small.setPointSizeF(small.pointSizeF() * 0.8);
    caption_->setFont(small);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->addWidget(caption_);

    menu_ = new QMenu(this);
    menu_->setObjectName("mnuFilter");
    group_ = new QActionGroup(this);
    group_->setExclusive(true);
    const auto add = [this](const QString& text, const QString& name,
                            const dsp::FilterRequest& request) {
        QAction* action = menu_->addAction(text);
        action->setObjectName(name);
        action->setCheckable(true);
        group_->addAction(action);
        connect(action, &QAction::triggered, this, [this, request] { emit picked(request); });
    };
    add("&None", "mnuFilterNone", {});
    for (const dsp::FilterPreset& preset : dsp::FilterPresets()) {
        dsp::FilterRequest request;
        request.kind = preset.kind;
        request.low = preset.low;
        request.high = preset.high;
        request.preset = std::string(preset.name);
        add(FromUtf8(std::string(preset.label)),
            "mnuFilter_" +
                QString::fromLatin1(preset.name.data(), static_cast<qsizetype>(preset.name.size())),
            request);
    }
    menu_->addSeparator();
    custom_ = menu_->addAction(QString::fromUtf8("&Custom…"));
    custom_->setObjectName("mnuFilterCustom");
    custom_->setCheckable(true);
    group_->addAction(custom_);
    connect(custom_, &QAction::triggered, this, &FilterChooser::PickCustom);
    connect(this, &QPushButton::clicked, this,
            [this] { menu_->popup(mapToGlobal(rect().bottomLeft())); });
    Show({});
}

void FilterChooser::PickCustom() {
    if (const auto request = CustomFilterDialog::Ask(LoadCustomFilter(), this)) {
        SaveCustomFilter(*request);
        emit picked(*request);
    } else {
        Show(shown_);  // the check goes back to the filter in use
    }
}

void FilterChooser::Show(const dsp::FilterRequest& request) {
    shown_ = request;
    QString name = "mnuFilterCustom";
    if (!request.Active()) {
        name = "mnuFilterNone";
    } else if (!request.preset.empty()) {
        name = "mnuFilter_" + QString::fromStdString(request.preset);
    }
    for (QAction* action : group_->actions()) {
        action->setChecked(action->objectName() == name);
    }
    const QString description = FromUtf8(dsp::RequestDescription(request));
    custom_->setText(name == "mnuFilterCustom"
                         ? QString::fromUtf8("&Custom (") + description + QString::fromUtf8(")…")
                         : QString::fromUtf8("&Custom…"));
    // The band without its unit where the button is too narrow for both.
    const QFontMetrics metrics(caption_->font());
    const int room = width() - 2;
    QString band = ShortName(request);
    if (metrics.horizontalAdvance(band) > room && band.endsWith(" Hz")) {
        band.chop(3);
    }
    caption_->setText("Filter\n" + metrics.elidedText(band, Qt::ElideRight, room));
    setToolTip("Filter: " + description);
    setAccessibleName("Filter: " + description);
}

}  // namespace tremorline::app
