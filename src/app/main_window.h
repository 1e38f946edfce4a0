// SPDX-License-Identifier: MIT
#pragma once

// Form1, the main window: the summary text, the menus and the sound box. It
// owns the one AppState of the run and offers the commands its widgets
// (WindowOps); the commands themselves live beside it, free of Qt.

#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <memory>
#include <optional>
#include <string>

#include "app/app_state.h"
#include "app/qt_sound_player.h"
#include "app/waveform_host.h"
#include "app/window_ops.h"
#include "sound/play_position.h"

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QShortcut;

namespace tremorline::app {
class frmAbout;
class WaveformWindow;
}  // namespace tremorline::app

namespace tremorline::app {

class Form1 : public QMainWindow, public WindowOps, public WaveformHost {
    Q_OBJECT

  public:
    // The caption of the window and of every message box.
    static constexpr const char* kTitle = "Tremorline";
    // The rate list, "0" meaning that no rate is chosen.
    static const QStringList& RateItems();

    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    // The start-up sequence with the program's argument string.
    void StartUp(const std::string& argument_string);

    // WindowOps
    void SetLabel1(const std::string& text) override;
    void SetText1(const std::string& text) override;
    void SetText1Message(const std::string& text) override;
    void ShowStatus(const std::string& text) override;
    void SetEnabled(Control control, bool enabled) override;
    bool IsEnabled(Control control) const override;
    std::string Combo1Text() const override;
    void ShowMessage(const std::string& text) override;
    bool AskYesNo(const std::string& text) override;
    std::optional<std::filesystem::path> ChooseTraceFile() override;
    std::optional<std::size_t> ChooseSegment(const std::vector<SegmentRow>& rows) override;

    // WaveformHost: the waveform window plays spans through the Sound Box.
    void PlaySpan(const std::shared_ptr<const trace::LoadedTrace>& trace, trace::SampleSpan span,
                  bool loop) override;
    void StopPlaying() override;
    bool IsPlaying() const override;
    std::optional<std::int32_t> SoundRate() const override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private slots:
    void mnuItemOpen_Click();
    void mnuItemClose_Click();
    void mnuItemExit_Click();
    void mnuMakePSN_Click();
    void mnuItemAbout_Click();
    void mnuItemDetails_Click();
    void mnuWaveform_Click();
    void Command1_Click();
    void PlaySound_Click();
    void StopSound_Click();
    void SaveWAVE_Click();
    // Stop Sound's state and the position label, after every change of the
    // sound and several times a second while it plays.
    void ShowSoundState();

  private:
    void BuildControls();
    void BuildMenus();
    // Lays Label1, Text1 and the Sound Box out for the client area's size.
    void PlaceControls();
    // The client area's size is kept between runs.
    void RestoreSize();
    void SaveSize() const;
    QAction* ActionFor(Control control) const;
    // Shows the state's trace in the waveform window after a load that
    // completed; a refused load leaves the window as it was.
    void FollowLoadedTrace();
    QWidget* WidgetFor(Control control) const;

    AppState state_;
    QtSoundPlayer player_;  // plays from the state's image; stops before it goes
    std::optional<sound::PlayedSound> played_;  // the sound last started
    // The span the waveform window loops, while it loops.
    struct Loop {
        std::shared_ptr<const trace::LoadedTrace> trace;
        trace::SampleSpan span;
    };
    std::optional<Loop> loop_;
    // Plays the loop's span again when its sound has ended by itself.
    void RepeatLoop();
    QTimer position_timer_;

    QWidget* client_ = nullptr;  // the area under the menu bar
    QLabel* Label1 = nullptr;
    QPlainTextEdit* Text1 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QPushButton* Command1 = nullptr;
    QComboBox* Combo1 = nullptr;
    QPushButton* PlaySound = nullptr;
    QPushButton* StopSound = nullptr;
    QPushButton* SaveWAVE = nullptr;
    QLabel* lblPlayPosition = nullptr;    // where the sound is, or why none plays
    QShortcut* stop_shortcut_ = nullptr;  // Escape, for Stop Sound
    QAction* mnuMakePSN = nullptr;
    QPointer<frmAbout> about_;           // the one About window, while it is open
    QPointer<WaveformWindow> waveform_;  // the one waveform window, once opened
};

}  // namespace tremorline::app
