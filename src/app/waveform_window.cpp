// SPDX-License-Identifier: MIT
#include "app/waveform_window.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QSettings>
#include <QWheelEvent>
#include <cmath>
#include <exception>
#include <utility>

#include "app/app_state.h"
#include "plot/spectrogram_plot.h"
#include "plot/trace_plot.h"

namespace tremorline::app {
namespace {

// The size the window first opens at.
constexpr QSize kFirstSize(1000, 360);
// One step of the wheel (or one press of + or −) narrows the view to this
// share of its span.
constexpr double kZoomStep = 0.8;
constexpr double kKeyZoom = 0.5;

}  // namespace

WaveformWindow::WaveformWindow(const SoundPlayer& player, QWidget* parent)
    : QWidget(parent, Qt::Window), player_(player) {
    setObjectName("frmWaveform");
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(200, 120);
    const QSize kept = QSettings().value(kSizeKey).toSize();
    resize(kept.isValid() && !kept.isEmpty() ? kept : kFirstSize);
    cursor_timer_.setInterval(kCursorIntervalMs);
    connect(&cursor_timer_, &QTimer::timeout, this, &WaveformWindow::MoveCursor);
    spectrogram_shown_ = QSettings().value(kSpectrogramKey, false).toBool();
    spectrogram_choice_ = SpectrogramChoice::Load();
    spectrogram_.SetLimits(spectrogram_choice_);
    connect(&spectrogram_, &SpectrogramPane::Changed, this, [this] { update(); });
}

WaveformWindow::~WaveformWindow() {
    StopWorker();
}

void WaveformWindow::StopWorker() {
    // The build looks at its stop token after every stretch of samples, so
    // this waits at most for one stretch to be read.
    if (worker_.joinable()) {
        worker_.request_stop();
        worker_.join();
    }
}

std::size_t WaveformWindow::SampleCount() const {
    return summary_ ? summary_->SampleCount() : 0;
}

void WaveformWindow::ShowTrace(std::shared_ptr<const trace::LoadedTrace> trace) {
    StopWorker();
    ++generation_;
    trace_ = std::move(trace);
    summary_.reset();
    envelope_.reset();
    problem_.clear();
    cursor_.reset();
    cursor_timer_.stop();
    drag_start_.reset();
    view_ = {};
    BuildSpectrogram();
    if (!trace_) {
        setWindowTitle("Waveform");
        update();
        return;
    }
    setWindowTitle(
        QString::fromLocal8Bit(trace_->title.data(), static_cast<qsizetype>(trace_->title.size())));
    const unsigned generation = generation_;
    worker_ = std::jthread([this, generation, trace = trace_](std::stop_token stop) {
        std::shared_ptr<const trace::MinMaxSummary> summary;
        QString problem;
        try {
            std::optional<trace::MinMaxSummary> built =
                trace::BuildMinMaxSummary(*trace->samples, stop);
            if (!built) {
                return;  // stopped: a newer trace or the window's end
            }
            summary = std::make_shared<const trace::MinMaxSummary>(std::move(*built));
        } catch (const std::exception& error) {
            problem = QString::fromLocal8Bit(error.what());
        }
        // Delivered on the window's thread. The window joins this thread
        // before it goes, and a call still queued then is dropped with it.
        QMetaObject::invokeMethod(
            this,
            [this, generation, summary = std::move(summary), problem] {
                SummaryBuilt(generation, summary, problem);
            },
            Qt::QueuedConnection);
    });
    update();
}

void WaveformWindow::SummaryBuilt(unsigned generation,
                                  std::shared_ptr<const trace::MinMaxSummary> summary,
                                  const QString& problem) {
    if (generation != generation_) {
        return;  // for a trace no longer shown
    }
    summary_ = std::move(summary);
    problem_ = problem;
    if (summary_) {
        view_ = trace::WholeTraceView(summary_->SampleCount());
    }
    update();
}

void WaveformWindow::BuildSpectrogram() {
    if (!spectrogram_shown_ || !trace_) {
        spectrogram_.Clear();
        return;
    }
    spectrogram_.Show(trace_->samples, trace_->header.reals[sac::real::DELTA],
                      spectrogram_choice_.settings);
}

void WaveformWindow::SetSpectrogramShown(bool shown) {
    if (shown == spectrogram_shown_) {
        return;
    }
    spectrogram_shown_ = shown;
    BuildSpectrogram();
    update();
}

void WaveformWindow::SetSpectrogramChoice(const SpectrogramChoice& choice) {
    const bool rebuild = choice.settings != spectrogram_choice_.settings;
    spectrogram_choice_ = choice;
    spectrogram_.SetLimits(choice);
    if (rebuild) {
        BuildSpectrogram();
    }
    update();
}

QSize WaveformWindow::WaveformSize() const {
    if (!spectrogram_shown_) {
        return size();
    }
    return plot::WaveformSizeBesideSpectrogram(
        QSize(width(), height() - plot::SpectrogramPanelHeight(height())));
}

void WaveformWindow::SetView(const trace::TraceView& view) {
    if (!summary_) {
        return;
    }
    const trace::TraceView clamped = trace::ClampView(view, SampleCount());
    if (clamped != view_) {
        view_ = clamped;
        update();
    }
}

void WaveformWindow::ZoomAround(double anchor, double factor) {
    if (summary_) {
        SetView(trace::ZoomView(view_, anchor, factor, SampleCount()));
    }
}

void WaveformWindow::FollowPlayer(std::weak_ptr<const trace::LoadedTrace> sound_trace) {
    sound_trace_ = std::move(sound_trace);
    MoveCursor();
    if (player_.IsPlaying()) {
        cursor_timer_.start();
    }
}

void WaveformWindow::MoveCursor() {
    if (!player_.IsPlaying()) {
        cursor_timer_.stop();
    }
    if (!trace_) {
        return;
    }
    if (!SameTrace(sound_trace_, trace_)) {
        if (cursor_) {
            cursor_.reset();
            update();
        }
        return;
    }
    const std::size_t heard = player_.HeardSample();
    if (cursor_ != heard) {
        cursor_ = heard;
        update();
    }
}

void WaveformWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QSize whole = size();
    if (!trace_) {
        plot::DrawMessage(painter, whole, "No SAC trace is loaded.");
        return;
    }
    if (!problem_.isEmpty()) {
        plot::DrawMessage(painter, whole, problem_);
        return;
    }
    if (!summary_) {
        plot::DrawMessage(painter, whole, QString::fromUtf8("Reading…"));
        return;
    }
    const plot::PlotTrace plotted = plot::PlotTraceOf(*trace_, *summary_);
    const QSize area = WaveformSize();
    if (spectrogram_shown_) {
        const int panel_height = plot::SpectrogramPanelHeight(height());
        painter.fillRect(rect(), Qt::white);  // beside the waveform, over the colour bar
        painter.save();
        painter.translate(0, height() - panel_height);
        spectrogram_.Draw(painter, QSize(width(), panel_height), plotted, view_, cursor_);
        painter.restore();
    }
    try {
        // Only a new view or size reads samples; a moving cursor reuses the
        // envelope drawn last.
        if (!envelope_ || envelope_view_ != view_ || envelope_size_ != area) {
            envelope_ = plot::PlotEnvelope(area, plotted, view_);
            envelope_view_ = view_;
            envelope_size_ = area;
        }
        plot::DrawTrace(painter, area, plotted, view_, *envelope_, cursor_);
    } catch (const std::exception& error) {
        envelope_.reset();
        plot::DrawMessage(painter, area, QString::fromLocal8Bit(error.what()));
    }
}

void WaveformWindow::wheelEvent(QWheelEvent* event) {
    const double steps = event->angleDelta().y() / 120.0;
    if (!summary_ || steps == 0) {
        event->ignore();
        return;
    }
    const double anchor = plot::SamplePositionAtX(WaveformSize(), view_, event->position().x());
    ZoomAround(anchor, std::pow(kZoomStep, steps));
    event->accept();
}

void WaveformWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && summary_) {
        drag_start_ = event->position().toPoint();
        drag_view_ = view_;
        setCursor(Qt::ClosedHandCursor);
    }
}

void WaveformWindow::mouseMoveEvent(QMouseEvent* event) {
    if (!drag_start_ || !summary_) {
        return;
    }
    // The trace moves with the pointer: the sample that was under it when
    // the drag began stays under it.
    const double x = event->position().x();
    const double moved = plot::SamplePositionAtX(WaveformSize(), drag_view_, drag_start_->x()) -
                         plot::SamplePositionAtX(WaveformSize(), drag_view_, x);
    SetView(trace::PanView(drag_view_, moved, SampleCount()));
}

void WaveformWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        drag_start_.reset();
        unsetCursor();
    }
}

void WaveformWindow::keyPressEvent(QKeyEvent* event) {
    const double centre = view_.first + view_.span / 2;
    switch (event->key()) {
        case Qt::Key_Plus:
        case Qt::Key_Equal:  // + without Shift on most keyboards
            ZoomAround(centre, kKeyZoom);
            return;
        case Qt::Key_Minus:
        case Qt::Key_Underscore:
            ZoomAround(centre, 1 / kKeyZoom);
            return;
        case Qt::Key_Home:
            SetView(trace::WholeTraceView(SampleCount()));
            return;
        default:
            QWidget::keyPressEvent(event);
    }
}

void WaveformWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (isVisible()) {
        QSettings().setValue(kSizeKey, size());
    }
}

}  // namespace tremorline::app
