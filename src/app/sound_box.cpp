// SPDX-License-Identifier: MIT
#include "app/sound_box.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "app/command_guard.h"
#include "app/filter_chooser.h"
#include "app/filter_commands.h"
#include "app/long_step.h"
#include "app/span_play.h"
#include "app/twips.h"
#include "app/user_dialogs.h"
#include "sound/play_position.h"

namespace tremorline::app {
namespace {

// The position line is redrawn this often while a sound plays.
constexpr int kPositionIntervalMs = 50;

// A push button whose caption wraps onto two lines, as the narrow buttons of
// the box need ("Set Up" over "Sound").
QPushButton* MakeWrappingButton(const QString& caption, const char* name, QWidget* parent) {
    auto* button = new QPushButton(parent);
    button->setObjectName(name);
    button->setAccessibleName(caption);
    auto* label = new QLabel(caption, button);
    label->setObjectName("caption");
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignCenter);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    QFont small = label->font();
    small.setPointSizeF(small.pointSizeF() * 0.8);
    label->setFont(small);
    auto* layout = new QVBoxLayout(button);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->addWidget(label);
    return button;
}

}  // namespace

const QStringList& SoundBox::RateItems() {
    static const QStringList items = {"0", "44100", "22050", "16000", "11025", "8000", "4000"};
    return items;
}

SoundBox::SoundBox(AppState& state, WindowOps& window, QWidget* parent)
    : QGroupBox("Sound Box", parent), state_(state), window_(window) {
    setObjectName("Frame1");
    // The controls are placed from the box's left edge, and stay there
    // however wide the box becomes.
    Command1 = MakeWrappingButton("Set Up Sound", "Command1", this);
    Command1->setGeometry(Twips(180), Twips(240), Twips(675), Twips(435));
    connect(Command1, &QPushButton::clicked, this, &SoundBox::Command1_Click);

    Combo1 = new QComboBox(this);
    Combo1->setObjectName("Combo1");
    Combo1->setAccessibleName("Playback rate, samples per second");
    Combo1->setEditable(true);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    Combo1->setGeometry(Twips(960), Twips(300), Twips(1095), Twips(315));
    Combo1->addItems(RateItems());
    Combo1->setCurrentIndex(0);

    PlaySound = MakeWrappingButton("Play Sound", "PlaySound", this);
    PlaySound->setGeometry(Twips(2340), Twips(240), Twips(675), Twips(435));
    connect(PlaySound, &QPushButton::clicked, this, &SoundBox::PlaySound_Click);

    // In the free space between Play Sound and Save Sound, beside Play
    // Sound; the Filter button beside it.
    StopSound = MakeWrappingButton("Stop Sound", "StopSound", this);
    StopSound->setGeometry(Twips(3060), Twips(240), Twips(675), Twips(435));
    StopSound->setEnabled(false);
    connect(StopSound, &QPushButton::clicked, this, &SoundBox::StopSound_Click);
    // Escape stops at once (a button's own shortcut would click it 100 ms
    // later), and only while Stop Sound is enabled, so that it takes Escape
    // from no one otherwise.
    stop_shortcut_ = new QShortcut(Qt::Key_Escape, this);
    stop_shortcut_->setEnabled(false);
    connect(stop_shortcut_, &QShortcut::activated, this, &SoundBox::StopSound_Click);

    cmdFilter = new FilterChooser(this);
    cmdFilter->setGeometry(Twips(3780), Twips(240), Twips(675), Twips(435));
    cmdFilter->Show(state_.filter);
    connect(cmdFilter, &FilterChooser::picked, this, &SoundBox::Filter_Picked);

    SaveWAVE = MakeWrappingButton("Save Sound", "SaveWAVE", this);
    SaveWAVE->setGeometry(Twips(4500), Twips(240), Twips(675), Twips(435));
    connect(SaveWAVE, &QPushButton::clicked, this, &SoundBox::SaveWAVE_Click);

    // One line on the box's top edge, beside its title.
    lblPlayPosition = new QLabel(this);
    lblPlayPosition->setObjectName("lblPlayPosition");
    lblPlayPosition->setTextFormat(Qt::PlainText);
    lblPlayPosition->setAutoFillBackground(true);
    lblPlayPosition->setGeometry(Twips(1200), 0, Twips(4080), Twips(240));
    lblPlayPosition->hide();

    position_timer_.setInterval(kPositionIntervalMs);
    connect(&position_timer_, &QTimer::timeout, this, &SoundBox::ShowSoundState);
    connect(&player_, &QtSoundPlayer::ended, this, &SoundBox::ShowSoundState);
    connect(&player_, &QtSoundPlayer::ended, this, &SoundBox::RepeatLoop);
    connect(&player_, &QtSoundPlayer::failed, this, [this] { loop_.reset(); });
    connect(&player_, &QtSoundPlayer::failed, this, &SoundBox::ShowSoundState);
}

SoundBox::~SoundBox() = default;

QWidget* SoundBox::ControlWidget(Control control) const {
    switch (control) {
        case Control::SetUpSound:
            return Command1;
        case Control::PlaySound:
            return PlaySound;
        case Control::SaveSound:
            return SaveWAVE;
        case Control::StopSound:
            return StopSound;
        case Control::MakePsn:
            break;
    }
    return nullptr;
}

std::string SoundBox::RateText() const {
    return Combo1->currentText().toStdString();
}

void SoundBox::SetRateText(const std::string& text) {
    Combo1->setEditText(QString::fromStdString(text));
}

void SoundBox::Command1_Click() {
    app::SetUpSound(state_, window_);
    if (state_.filter.kind == dsp::FilterKind::Audible) {
        // The set-up puts a rate into the box, which the audible band follows.
        emit filterChanged();
    }
}

void SoundBox::PlaySound_Click() {
    loop_.reset();
    const AppliedFilter before = state_.sound_filter;
    if (std::optional<StartedSound> started = app::PlaySound(state_, window_, player_)) {
        started_ = std::move(started);
    }
    emit soundChanged();
    if (state_.sound_filter != before) {
        // The audible band followed a new rate: the drawing follows it.
        emit filterChanged();
    }
    ShowSoundState();
}

void SoundBox::StopSound_Click() {
    loop_.reset();
    app::StopSound(window_, player_);
    emit soundChanged();  // the cursor stays where the sound stopped
    ShowSoundState();
}

void SoundBox::SaveWAVE_Click() {
    app::SaveSound(state_, window_);
}

void SoundBox::Filter_Picked(const dsp::FilterRequest& request) {
    ChooseFilter(state_, window_, request);
    // A refused or cancelled choice puts the filter in use back.
    cmdFilter->Show(state_.filter);
    if (state_.filter == request) {
        // Also for the filter already chosen: a drawing it could not be
        // applied to (a cancel) is tried again.
        emit filterChanged();
    }
}

QString SoundBox::PositionText() const {
    const std::string problem = player_.Problem();
    if (!problem.empty() || !started_) {
        return FromLocal(problem);
    }
    const std::string position =
        sound::PlayPositionText(started_->described, player_.HeardSample());
    QString text = QString::fromUtf8(position.data(), static_cast<qsizetype>(position.size()));
    if (!SameTrace(started_->trace, state_.shown_trace)) {
        text = FromLocal(started_->title) + "  " + text;
    }
    return text;
}

void SoundBox::ShowSoundState() {
    const bool playing = player_.IsPlaying();
    StopSound->setEnabled(playing);
    stop_shortcut_->setEnabled(playing);
    if (playing) {
        position_timer_.start();
    } else {
        position_timer_.stop();
    }
    const QString shown = PositionText();
    if (shown.isEmpty()) {
        return;
    }
    if (lblPlayPosition->text() != shown) {
        lblPlayPosition->setText(shown);
    }
    lblPlayPosition->show();
}

void SoundBox::EndLoopUnlessOf(const std::shared_ptr<const trace::LoadedTrace>& trace) {
    if (loop_ && loop_->trace != trace) {
        StopSound_Click();
    }
}

void SoundBox::PlaySpan(const std::shared_ptr<const trace::LoadedTrace>& trace,
                        trace::SampleSpan span, bool loop) {
    loop_.reset();
    if (!trace) {
        return;
    }
    bool started = false;
    const AppliedFilter before = state_.sound_filter;
    RunCommand(window_, [&] {
        const sound::PlayedSound played = app::PlaySpan(state_, window_, player_, trace, span);
        started_ = StartedSound{played, trace, trace->title, span.first};
        started = true;
    });
    if (started && loop) {
        loop_ = Loop{trace, span};
    }
    emit soundChanged();
    if (state_.sound_filter != before) {
        emit filterChanged();
    }
    ShowSoundState();
}

void SoundBox::RepeatLoop() {
    if (!loop_ || !state_.SoundState.PlayBuffer) {
        return;
    }
    player_.Play(state_.SoundState.PlayBuffer);
    emit soundChanged();
    ShowSoundState();
}

void SoundBox::StopPlaying() {
    StopSound_Click();
}

bool SoundBox::IsPlaying() const {
    return player_.IsPlaying();
}

std::optional<std::int32_t> SoundBox::SoundRate() const {
    return SoundBoxRate(window_, state_.trace ? state_.trace->info.DELTA : 0.0f);
}

void SoundBox::RunExport(QWidget* over, const std::string& title,
                         const std::function<void(const Progress&)>& work) {
    RunLongStep(over, FromLocal(title), work);
}

}  // namespace tremorline::app
