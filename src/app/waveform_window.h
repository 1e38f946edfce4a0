// SPDX-License-Identifier: MIT
#pragma once

// The waveform window: the loaded trace drawn with its axes and markers,
// zoomed with the wheel or + and −, panned by dragging, Home for the whole
// trace, and a play cursor at the sample the player is heard at, drawn only
// over the trace the sound was made from.
//
// The min/max summary a drawing needs is built on a worker thread when a
// trace is shown; until it is ready the window says "Reading…". Showing
// another trace stops that work, and so does closing the window.

#include <QPoint>
#include <QTimer>
#include <QWidget>
#include <cstddef>
#include <memory>
#include <optional>
#include <stop_token>
#include <thread>

#include "app/spectrogram_pane.h"
#include "app/window_ops.h"
#include "trace/envelope.h"
#include "trace/loaded_trace.h"
#include "trace/minmax_summary.h"

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

    // `player` is asked where the sound is; it must outlive the window.
    explicit WaveformWindow(const SoundPlayer& player, QWidget* parent = nullptr);
    ~WaveformWindow() override;
    WaveformWindow(const WaveformWindow&) = delete;
    WaveformWindow& operator=(const WaveformWindow&) = delete;

    // Shows `trace`, whole, from scratch: any summary still being built for
    // the trace shown before is abandoned. Null shows that nothing is loaded.
    void ShowTrace(std::shared_ptr<const trace::LoadedTrace> trace);
    const std::shared_ptr<const trace::LoadedTrace>& Trace() const { return trace_; }

    // True once the summary of the shown trace is built.
    bool SummaryReady() const { return summary_ != nullptr; }
    // The stretch of the trace on show.
    const trace::TraceView& View() const { return view_; }
    // Where the play cursor stands, when it is shown.
    std::optional<std::size_t> CursorSample() const { return cursor_; }

    // The spectrogram panel under the waveform, on the same time axis. It is
    // built when shown, and again for every trace shown while it is.
    void SetSpectrogramShown(bool shown);
    bool SpectrogramShown() const { return spectrogram_shown_; }
    // The window and overlap it is built with, and its colours' dB range.
    void SetSpectrogramChoice(const SpectrogramChoice& choice);
    bool SpectrogramReady() const { return spectrogram_.Ready(); }
    // Why the panel is empty, when it is.
    const QString& SpectrogramProblem() const { return spectrogram_.Problem(); }

    // A sound made from `sound_trace` has started or stopped: while the
    // trace on show is that one, the cursor follows the player until the
    // sound stops, and stays where it stopped. Over any other trace no
    // cursor is drawn.
    void FollowPlayer(std::weak_ptr<const trace::LoadedTrace> sound_trace);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    // The summary of the trace of `generation`, or why it could not be made.
    void SummaryBuilt(unsigned generation, std::shared_ptr<const trace::MinMaxSummary> summary,
                      const QString& problem);
    void StopWorker();
    void SetView(const trace::TraceView& view);
    void ZoomAround(double anchor, double factor);
    void MoveCursor();
    std::size_t SampleCount() const;
    // The size the waveform is drawn at: the whole window, or its upper part
    // beside the spectrogram's colour bar when the panel is shown.
    QSize WaveformSize() const;
    void BuildSpectrogram();

    const SoundPlayer& player_;
    std::shared_ptr<const trace::LoadedTrace> trace_;
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

    // A drag in progress: where it began and the view then.
    std::optional<QPoint> drag_start_;
    trace::TraceView drag_view_;

    // Counts the traces shown, so a summary that arrives for an earlier one
    // is ignored.
    unsigned generation_ = 0;
    bool spectrogram_shown_ = false;
    SpectrogramChoice spectrogram_choice_;
    SpectrogramPane spectrogram_;
    std::jthread worker_;  // last: stopped and joined before the rest goes
};

}  // namespace tremorline::app
