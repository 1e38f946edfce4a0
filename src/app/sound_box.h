// SPDX-License-Identifier: MIT
#pragma once

// The Sound Box (Frame1): Set Up Sound, the rate list, Play Sound, Stop
// Sound and Save Sound, the position line on the box's top edge, and the
// player they drive. The buttons run the sound commands on the window's
// state; the box keeps what it needs to follow the sound it started. It
// also plays the spans the waveform window asks for, once or in a loop.

#include <QGroupBox>
#include <QStringList>
#include <QTimer>
#include <memory>
#include <optional>
#include <string>

#include "app/app_state.h"
#include "app/qt_sound_player.h"
#include "app/sound_commands.h"
#include "app/waveform_host.h"
#include "app/window_ops.h"

class QComboBox;
class QLabel;
class QPushButton;
class QShortcut;

namespace tremorline::app {
class FilterChooser;
}  // namespace tremorline::app

namespace tremorline::app {

class SoundBox : public QGroupBox, public WaveformHost {
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

    // Stops a loop that was started on another trace than `trace`: a loop
    // belongs to the trace it was started on.
    void EndLoopUnlessOf(const std::shared_ptr<const trace::LoadedTrace>& trace);

    // WaveformHost: the waveform window plays spans with the box's rate.
    void PlaySpan(const std::shared_ptr<const trace::LoadedTrace>& trace, trace::SampleSpan span,
                  bool loop) override;
    void StopPlaying() override;
    bool IsPlaying() const override;
    std::optional<std::int32_t> SoundRate() const override;
    void RunExport(QWidget* over, const std::string& title,
                   const std::function<void(const Progress&)>& work) override;

  public slots:
    // Stop Sound's state and the position line, after every change of the
    // sound or of the trace on show, and several times a second while a
    // sound plays.
    void ShowSoundState();

  signals:
    // A sound started or was stopped: whoever draws its position follows.
    void soundChanged();
    // Another filter was chosen: whoever draws the trace follows.
    void filterChanged();

  private slots:
    void Command1_Click();
    void PlaySound_Click();
    void StopSound_Click();
    void SaveWAVE_Click();
    void Filter_Picked(const dsp::FilterRequest& request);

  private:
    // The position line: where the sound is, named after its trace while
    // another trace is on show; or why no sound plays.
    QString PositionText() const;
    // Plays the loop's span again when its sound has ended by itself.
    void RepeatLoop();

    AppState& state_;
    WindowOps& window_;
    QtSoundPlayer player_;
    std::optional<StartedSound> started_;
    // The span the waveform window loops, while it loops.
    struct Loop {
        std::shared_ptr<const trace::LoadedTrace> trace;
        trace::SampleSpan span;
    };
    std::optional<Loop> loop_;
    QTimer position_timer_;

    QPushButton* Command1 = nullptr;
    QComboBox* Combo1 = nullptr;
    QPushButton* PlaySound = nullptr;
    QPushButton* StopSound = nullptr;
    QPushButton* SaveWAVE = nullptr;
    FilterChooser* cmdFilter = nullptr;
    QLabel* lblPlayPosition = nullptr;    // where the sound is, or why none plays
    QShortcut* stop_shortcut_ = nullptr;  // Escape, for Stop Sound
};

}  // namespace tremorline::app
