// SPDX-License-Identifier: MIT
#pragma once

// The waveform window: the loaded trace drawn with its axes and markers,
// zoomed with the wheel or + and −, Home for the whole trace, and a play
// cursor at the sample the player is heard at, drawn only over the trace
// the sound was made from.
//
// Dragging with the left button selects a span (shaded; its times, length
// and count below); a click clears it and sets an insertion point. Shift+drag,
// a middle-button drag, Left/Right (a tenth of the view), Page Up/Page Down
// (a whole view) and the scroll bar move the view. Space plays the selection,
// or from the insertion point (or the view's left edge) to the end;
// Shift+Space loops the selection; Space while playing, or Escape, stops.
// The line beneath tells the time, sample and value under the pointer. The
// context menu exports the selection (or the view) and switches the axis
// between UTC and seconds after the reference time.
//
// The min/max summary a drawing needs is built on a worker thread when a
// trace is shown; until it is ready the window says "Reading…". Showing
// another trace stops that work, and so does closing the window.

#include <QPoint>
#include <QTimer>
#include <QWidget>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>

#include "app/app_state.h"
#include "app/spectrogram_pane.h"
#include "app/waveform_host.h"
#include "app/window_ops.h"
#include "plot/trace_plot.h"
#include "trace/envelope.h"
#include "trace/loaded_trace.h"
#include "trace/minmax_summary.h"
#include "trace/span.h"

class QLabel;
class QScrollBar;

namespace tremorline::app {

class WaveformWindow : public QWidget {
    Q_OBJECT

  public:
    // How often the play cursor follows the player while a sound plays: 40
    // times a second.
    static constexpr int kCursorIntervalMs = 25;
    // The settings key under which the window's size is kept between runs.
    static constexpr const char* kSizeKey = "waveform/size";
    // The settings key under which View > Spectrogram is kept between runs.
    static constexpr const char* kSpectrogramKey = "view/spectrogram";

    // `player` is asked where the sound is, `host` (when given) plays and
    // stops; both must outlive the window.
    explicit WaveformWindow(const SoundPlayer& player, QWidget* parent = nullptr,
                            WaveformHost* host = nullptr);
    ~WaveformWindow() override;
    WaveformWindow(const WaveformWindow&) = delete;
    WaveformWindow& operator=(const WaveformWindow&) = delete;

    // The samples drawn for the trace shown: the trace seen through a
    // filter, which the heading names. No filter draws the trace itself.
    struct DrawnSamples {
        std::shared_ptr<const trace::LoadedTrace> trace;  // null: the trace itself
        std::string filter_name;                          // "band-pass 1-10 Hz, ..."
        // The filter the samples went through; nothing when the one chosen
        // could not be applied (refused or cancelled), so it is tried again.
        std::optional<AppliedFilter> filter;
    };

    // Shows `trace`, whole, from scratch, drawing `drawn`: any summary still
    // being built for the trace shown before is abandoned. Null shows that
    // nothing is loaded.
    void ShowTrace(std::shared_ptr<const trace::LoadedTrace> trace, DrawnSamples drawn = {});
    const std::shared_ptr<const trace::LoadedTrace>& Trace() const { return trace_; }
    // Draws other samples of the trace shown (another filter), keeping the
    // view, the selection and the cursor.
    void ShowDrawn(DrawnSamples drawn);
    // The samples drawn, the filter they went through, and the heading.
    const std::shared_ptr<const trace::LoadedTrace>& DrawnTrace() const { return drawn_; }
    const std::optional<AppliedFilter>& DrawnFilter() const { return drawn_filter_; }
    QString Heading() const;

    // True once the summary of the shown trace is built.
    bool SummaryReady() const { return summary_ != nullptr; }
    // The stretch of the trace on show.
    const trace::TraceView& View() const { return view_; }
    // Where the play cursor stands, when it is shown.
    std::optional<std::size_t> CursorSample() const { return cursor_; }
    // The selected samples, when there is a selection.
    const std::optional<trace::SampleSpan>& Selection() const { return selection_; }
    // The sample a click left the insertion point at.
    const std::optional<std::size_t>& InsertionPoint() const { return insertion_; }
    // The part of the window the trace is drawn in, above the scroll bar
    // and the status line.
    QSize CanvasSize() const;
    // What the time axis counts.
    plot::TimeLabels TimeLabels() const { return time_labels_; }
    void SetTimeLabels(plot::TimeLabels labels);
    // The samples Space plays: the selection, or from the insertion point
    // (or the view's left edge) to the end.
    std::optional<trace::SampleSpan> SpanToPlay() const;

    // The spectrogram panel under the waveform, on the same time axis. It is
    // built when shown, and again for every trace shown while it is.
    void SetSpectrogramShown(bool shown);
    bool SpectrogramShown() const { return spectrogram_shown_; }
    // The window and overlap it is built with, and its colours' dB range.
    void SetSpectrogramChoice(const SpectrogramChoice& choice);
    bool SpectrogramReady() const { return spectrogram_.Ready(); }
    // Why the panel is empty, when it is.
    const QString& SpectrogramProblem() const { return spectrogram_.Problem(); }

    // Asks where an export goes: the proposed name and the dialog's filter
    // in, the chosen path out (nothing when cancelled). The save dialog by
    // default, which asks before replacing a file; tests put their own.
    using SaveFileChooser = std::function<std::optional<std::filesystem::path>(
        const QString& caption, const QString& proposed, const QString& filter)>;
    void SetSaveFileChooser(SaveFileChooser chooser) { choose_file_ = std::move(chooser); }
    // The exports of the context menu: the selection (or the view) as a WAVE
    // file or a SAC file, the view as a picture.
    void ExportSound();
    void ExportSac();
    void ExportPicture();
    // The selection, or the samples in view without one.
    trace::SampleSpan ExportedSpan() const;
    // An export's work, through the host's long step; a failure is shown,
    // a cancel says nothing.
    void RunExport(const std::string& title, const std::function<void(const Progress&)>& work);

  public slots:
    // A sound made from `sound_trace`, starting at its sample `first_sample`
    // (a span's sound starts inside the trace), has started or stopped:
    // while the trace on show is that one, the cursor follows the player
    // until the sound stops, and stays where it stopped. Over any other
    // trace no cursor is drawn.
    void FollowPlayer(std::weak_ptr<const trace::LoadedTrace> sound_trace,
                      std::size_t first_sample = 0);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    // The summary of the trace of `generation`, or why it could not be made.
    void SummaryBuilt(unsigned generation, std::shared_ptr<const trace::MinMaxSummary> summary,
                      const QString& problem);
    void StopWorker();
    // Builds the summary of the samples drawn on a worker thread.
    void StartSummary();
    // Sets the view; `by_user` when the user moved it (a play then stops
    // following the cursor).
    void SetView(const trace::TraceView& view, bool by_user = true);
    void ZoomAround(double anchor, double factor);
    void MoveCursor();
    std::size_t SampleCount() const;
    // The size the waveform is drawn at: the whole window, or its upper part
    // beside the spectrogram's colour bar when the panel is shown.
    QSize WaveformSize() const;
    void BuildSpectrogram();
    double PositionAtX(double x) const;
    void SelectBetween(double from, double to);
    void ClearMarks();
    void ShowPointer(double x);
    void ShowSelectionText();
    void SyncScrollBar();
    void PlayFromWindow(bool loop);
    void ShowExportProblem(const std::string& problem);
    std::optional<std::filesystem::path> ChooseExportFile(const QString& caption,
                                                          const std::string& proposed,
                                                          const QString& filter);

    const SoundPlayer& player_;
    WaveformHost* host_ = nullptr;
    QScrollBar* scroll_ = nullptr;
    QLabel* pointer_label_ = nullptr;
    QLabel* selection_label_ = nullptr;
    SaveFileChooser choose_file_;
    std::shared_ptr<const trace::LoadedTrace> trace_;
    // What is drawn of trace_: its samples through the filter in use.
    std::shared_ptr<const trace::LoadedTrace> drawn_;
    std::string filter_name_;
    std::optional<AppliedFilter> drawn_filter_;
    // Set while the summary of other samples of the same trace is built:
    // the view stays where it was.
    bool keep_view_ = false;
    std::shared_ptr<const trace::MinMaxSummary> summary_;
    QString problem_;  // why the trace cannot be drawn, when it cannot
    trace::TraceView view_;
    std::optional<std::size_t> cursor_;
    std::weak_ptr<const trace::LoadedTrace> sound_trace_;  // the trace the sound was made from
    QTimer cursor_timer_;

    // The envelope last drawn and what it was drawn for, so that a moving
    // cursor redraws without reading samples.
    std::optional<trace::Envelope> envelope_;
    trace::TraceView envelope_view_;
    QSize envelope_size_;

    // A drag in progress: where it began and the view then; whether it
    // selects (left button) or pans, and whether it has moved yet.
    std::optional<QPoint> drag_start_;
    trace::TraceView drag_view_;
    bool drag_selects_ = false;
    bool drag_moved_ = false;

    std::optional<trace::SampleSpan> selection_;
    std::optional<std::size_t> insertion_;
    plot::TimeLabels time_labels_ = plot::TimeLabels::Utc;

    // The sample of the trace the sound's first sample is, while the shown
    // trace's sound plays; and whether the user moved the view since it
    // started (the view then stops following the cursor).
    std::size_t played_first_ = 0;
    bool view_moved_during_play_ = false;

    // Counts the traces shown, so a summary that arrives for an earlier one
    // is ignored.
    unsigned generation_ = 0;
    bool spectrogram_shown_ = false;
    SpectrogramChoice spectrogram_choice_;
    SpectrogramPane spectrogram_;
    std::jthread worker_;  // last: stopped and joined before the rest goes
};

}  // namespace tremorline::app
