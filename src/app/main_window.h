// SPDX-License-Identifier: MIT
#pragma once

// Form1, the main window: Label1, the summary text, the Sound Box and the
// menus. It owns the one AppState of the run and offers the commands its
// widgets (WindowOps); the commands themselves live beside it, free of Qt,
// the Sound Box's in its own widget, the questions and messages in
// UserDialogs, and long steps run through RunLongStep.

#include <QMainWindow>
#include <QPointer>
#include <optional>
#include <string>

#include "app/app_state.h"
#include "app/user_dialogs.h"
#include "app/window_ops.h"

class QAction;
class QLabel;
class QMenu;
class QPlainTextEdit;

namespace tremorline::app {
class frmAbout;
class SoundBox;
class WaveformWindow;
}  // namespace tremorline::app

namespace tremorline::app {

class Form1 : public QMainWindow, public WindowOps {
    Q_OBJECT

  public:
    // The caption of the window and of every message box.
    static constexpr const char* kTitle = "Tremorline";

    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    // The start-up sequence with the program's argument string.
    void StartUp(const std::string& argument_string);

    // WindowOps
    void SetLabel1(const std::string& text) override;
    void SetText1(const SummaryText& summary) override;
    void SetText1Message(const std::string& text) override;
    void ShowStatus(const std::string& text) override;
    void SetEnabled(Control control, bool enabled) override;
    bool IsEnabled(Control control) const override;
    std::string Combo1Text() const override;
    void SetCombo1Text(const std::string& text) override;
    void ShowMessage(const std::string& text) override;
    bool AskYesNo(const std::string& text) override;
    void RunLong(const std::string& title, const LongWork& work) override;
    std::optional<std::filesystem::path> ChooseTraceFile() override;
    std::optional<std::size_t> ChooseSegment(const std::vector<SegmentRow>& rows) override;

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
    void mnuSpectrogram_Click(bool shown);
    void mnuSpectrogramSettings_Click();

  private:
    void BuildControls();
    void BuildMenus();
    // Lays Label1, Text1 and the Sound Box out for the client area's size.
    void PlaceControls();
    // The client area's size is kept between runs.
    void RestoreSize();
    void SaveSize() const;
    // View > Spectrogram and its settings.
    void AddSpectrogramItems(QMenu* mnuView);
    // After every load command: the waveform window shows the state's trace
    // after a load that completed (a refused load leaves it as it was), and
    // the position line says whose sound it is.
    void FollowLoadedTrace();
    // The waveform window's cursor follows the sound the Sound Box started.
    void FollowSound();
    // The waveform window shows the loaded trace through the filter in use
    // (for the audible band, at the Sound Box's rate).
    void FollowFilter();

    AppState state_;
    UserDialogs dialogs_{this};

    QWidget* client_ = nullptr;  // the area under the menu bar
    QLabel* Label1 = nullptr;
    QPlainTextEdit* Text1 = nullptr;
    SoundBox* Frame1 = nullptr;
    QAction* mnuMakePSN = nullptr;
    QPointer<frmAbout> about_;           // the one About window, while it is open
    QPointer<WaveformWindow> waveform_;  // the one waveform window, once opened
};

}  // namespace tremorline::app
