// SPDX-License-Identifier: MIT
#pragma once

// The Sound Box (Frame1): Set Up Sound, the rate list, Play Sound, Stop
// Sound and Save Sound, the position line on the box's top edge, and the
// player they drive. The buttons run the sound commands on the window's
// state; the box keeps what it needs to follow the sound it started.

#include <QGroupBox>
#include <QStringList>
#include <QTimer>
#include <memory>
#include <optional>
#include <string>

#include "app/app_state.h"
#include "app/qt_sound_player.h"
#include "app/sound_commands.h"
#include "app/window_ops.h"

class QComboBox;
class QLabel;
class QPushButton;
class QShortcut;

namespace tremorline::app {

class SoundBox : public QGroupBox {
    Q_OBJECT

  public:
    // The rate list, "0" meaning that no rate is chosen.
    static const QStringList& RateItems();

    // `state` and `window` are the main window's, and outlive the box.
    SoundBox(AppState& state, WindowOps& window, QWidget* parent);
    ~SoundBox() override;
    SoundBox(const SoundBox&) = delete;
    SoundBox& operator=(const SoundBox&) = delete;

    // The button for one of the box's commands; null for any other control.
    QWidget* ControlWidget(Control control) const;
    std::string RateText() const;
    void SetRateText(const std::string& text);

    const SoundPlayer& Player() const { return player_; }
    // The sound last handed to the player, and the trace it was made from.
    const std::optional<StartedSound>& Started() const { return started_; }

  public slots:
    // Stop Sound's state and the position line, after every change of the
    // sound or of the trace on show, and several times a second while a
    // sound plays.
    void ShowSoundState();

  signals:
    // A sound started or was stopped: whoever draws its position follows.
    void soundChanged();

  private slots:
    void Command1_Click();
    void PlaySound_Click();
    void StopSound_Click();
    void SaveWAVE_Click();

  private:
    // The position line: where the sound is, named after its trace while
    // another trace is on show; or why no sound plays.
    QString PositionText() const;

    AppState& state_;
    WindowOps& window_;
    QtSoundPlayer player_;
    std::optional<StartedSound> started_;
    QTimer position_timer_;

    QPushButton* Command1 = nullptr;
    QComboBox* Combo1 = nullptr;
    QPushButton* PlaySound = nullptr;
    QPushButton* StopSound = nullptr;
    QPushButton* SaveWAVE = nullptr;
    QLabel* lblPlayPosition = nullptr;    // where the sound is, or why none plays
    QShortcut* stop_shortcut_ = nullptr;  // Escape, for Stop Sound
};

}  // namespace tremorline::app
