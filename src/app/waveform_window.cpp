// SPDX-License-Identifier: MIT
#include "app/waveform_window.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSettings>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>
#include <utility>

#include "app/app_state.h"
#include "app/filter_commands.h"
#include "app/waveform_export.h"
#include "common/user_error.h"
#include "plot/spectrogram_plot.h"
#include "plot/trace_plot.h"
#include "trace/span_texts.h"

namespace tremorline::app {
namespace {

// The size the window first opens at.
constexpr QSize kFirstSize(1000, 360);
// One step of the wheel (or one press of + or −) narrows the view to this
// share of its span.
constexpr double kZoomStep = 0.8;
constexpr double kKeyZoom = 0.5;
// Left and Right move the view by this share of it.
constexpr double kArrowStep = 0.1;
// The scroll bar counts in this many steps over the trace, whatever its
// length, so that its range always fits an int.
constexpr int kScrollSteps = 1'000'000;
constexpr QColor kSelectionColour(60, 120, 220, 60);
constexpr QColor kInsertionColour(60, 120, 220);

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The samples within `view` of a trace of `count` samples (at least one).
trace::SampleSpan ShownSamples(const trace::TraceView& view, std::size_t count) {
    const double last_position = static_cast<double>(count - 1);
    const double first = std::clamp(std::ceil(view.first), 0.0, last_position);
    const double last = std::clamp(std::floor(view.first + view.span), first, last_position);
    return {static_cast<std::size_t>(first), static_cast<std::size_t>(last - first) + 1};
}

}  // namespace

WaveformWindow::WaveformWindow(const SoundPlayer& player, QWidget* parent, WaveformHost* host)
    : QWidget(parent, Qt::Window), player_(player), host_(host) {
    setObjectName("frmWaveform");
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setMinimumSize(200, 160);
    scroll_ = new QScrollBar(Qt::Horizontal, this);
    scroll_->setObjectName("scrWaveform");
    scroll_->setFocusPolicy(Qt::NoFocus);
    scroll_->setRange(0, 0);
    connect(scroll_, &QScrollBar::valueChanged, this, [this](int value) {
        if (!summary_ || scroll_->maximum() <= 0) {
            return;
        }
        const double room = static_cast<double>(SampleCount()) - view_.span;
        SetView({room * value / scroll_->maximum(), view_.span});
    });
    pointer_label_ = new QLabel(this);
    pointer_label_->setObjectName("lblPointer");
    selection_label_ = new QLabel(this);
    selection_label_->setObjectName("lblSelection");
    selection_label_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
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

void WaveformWindow::ShowTrace(std::shared_ptr<const trace::LoadedTrace> trace,
                               DrawnSamples drawn) {
    StopWorker();
    ++generation_;
    trace_ = std::move(trace);
    drawn_ = drawn.trace ? std::move(drawn.trace) : trace_;
    filter_name_ = std::move(drawn.filter_name);
    drawn_filter_ = drawn.filter;
    keep_view_ = false;
    summary_.reset();
    envelope_.reset();
    problem_.clear();
    cursor_.reset();
    cursor_timer_.stop();
    drag_start_.reset();
    view_ = {};
    BuildSpectrogram();
    ClearMarks();
    pointer_label_->clear();
    SyncScrollBar();
    if (!trace_) {
        setWindowTitle("Waveform");
        update();
        return;
    }
    setWindowTitle(
        QString::fromLocal8Bit(trace_->title.data(), static_cast<qsizetype>(trace_->title.size())));
    StartSummary();
    update();
}

void WaveformWindow::ShowDrawn(DrawnSamples drawn) {
    if (!trace_) {
        return;
    }
    StopWorker();
    ++generation_;
    drawn_ = drawn.trace ? std::move(drawn.trace) : trace_;
    filter_name_ = std::move(drawn.filter_name);
    drawn_filter_ = drawn.filter;
    keep_view_ = summary_ != nullptr || keep_view_;
    summary_.reset();
    envelope_.reset();
    problem_.clear();
    drag_start_.reset();
    BuildSpectrogram();
    SyncScrollBar();
    StartSummary();
    update();
}

QString WaveformWindow::Heading() const {
    return drawn_ ? FromUtf8(FilteredHeading(drawn_->title, filter_name_)) : QString();
}

void WaveformWindow::StartSummary() {
    const unsigned generation = generation_;
    worker_ = std::jthread([this, generation, trace = drawn_](std::stop_token stop) {
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
        view_ = keep_view_ ? trace::ClampView(view_, summary_->SampleCount())
                           : trace::WholeTraceView(summary_->SampleCount());
    }
    keep_view_ = false;
    SyncScrollBar();
    update();
}

void WaveformWindow::BuildSpectrogram() {
    if (!spectrogram_shown_ || !trace_) {
        spectrogram_.Clear();
        return;
    }
    spectrogram_.Show(drawn_->samples, drawn_->header.reals[sac::real::DELTA],
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
    const QSize canvas = CanvasSize();
    if (!spectrogram_shown_) {
        return canvas;
    }
    return plot::WaveformSizeBesideSpectrogram(
        QSize(canvas.width(), canvas.height() - plot::SpectrogramPanelHeight(canvas.height())));
}

void WaveformWindow::SetView(const trace::TraceView& view, bool by_user) {
    if (!summary_) {
        return;
    }
    const trace::TraceView clamped = trace::ClampView(view, SampleCount());
    if (clamped != view_) {
        view_ = clamped;
        if (by_user && player_.IsPlaying()) {
            view_moved_during_play_ = true;
        }
        SyncScrollBar();
        update();
    }
}

void WaveformWindow::SyncScrollBar() {
    const double room = static_cast<double>(SampleCount()) - view_.span;
    const QSignalBlocker quiet(scroll_);
    if (!summary_ || !(room > 0)) {
        scroll_->setRange(0, 0);
        return;
    }
    const double page = view_.span / static_cast<double>(SampleCount()) * kScrollSteps;
    const auto maximum = static_cast<int>(std::lround(std::min<double>(kScrollSteps, room)));
    scroll_->setRange(0, maximum);
    scroll_->setPageStep(std::max(1, static_cast<int>(page * maximum / kScrollSteps)));
    scroll_->setSingleStep(std::max(1, scroll_->pageStep() / 10));
    scroll_->setValue(static_cast<int>(std::lround(view_.first / room * maximum)));
}

QSize WaveformWindow::CanvasSize() const {
    const int strip = scroll_->sizeHint().height() + pointer_label_->sizeHint().height() + 4;
    return {width(), std::max(1, height() - strip)};
}

double WaveformWindow::PositionAtX(double x) const {
    return plot::SamplePositionAtX(WaveformSize(), view_, x);
}

void WaveformWindow::ClearMarks() {
    selection_.reset();
    insertion_.reset();
    selection_label_->clear();
}

void WaveformWindow::SelectBetween(double from, double to) {
    if (!trace_ || SampleCount() == 0) {
        return;
    }
    // Positions count samples; the selection holds the samples between
    // them, by the same rule as any span.
    const trace::TimeScale positions{0, 1, false};
    const trace::SampleSpan span =
        trace::SamplesBetween(positions, SampleCount(), std::min(from, to), std::max(from, to));
    insertion_.reset();
    if (span.count == 0) {
        selection_.reset();
    } else {
        selection_ = span;
    }
    ShowSelectionText();
    update();
}

void WaveformWindow::ShowSelectionText() {
    if (!selection_ || !trace_) {
        selection_label_->clear();
        return;
    }
    selection_label_->setText(FromUtf8("Selection " + trace::SelectionText(*trace_, *selection_)));
}

void WaveformWindow::ShowPointer(double x) {
    if (!trace_ || !summary_ || SampleCount() == 0) {
        return;
    }
    const double position = std::round(PositionAtX(x));
    const auto sample =
        static_cast<std::size_t>(std::clamp(position, 0.0, static_cast<double>(SampleCount() - 1)));
    float value = std::numeric_limits<float>::quiet_NaN();
    try {
        drawn_->samples->Read(sample, std::span<float>(&value, 1));
    } catch (const std::exception&) {
        // The line still tells where the pointer is.
    }
    pointer_label_->setText(FromUtf8(trace::PointerText(*trace_, sample, value)));
}

void WaveformWindow::SetTimeLabels(plot::TimeLabels labels) {
    if (labels != time_labels_) {
        time_labels_ = labels;
        update();
    }
}

std::optional<trace::SampleSpan> WaveformWindow::SpanToPlay() const {
    if (!summary_ || SampleCount() == 0) {
        return std::nullopt;
    }
    if (selection_) {
        return selection_;
    }
    std::size_t first = 0;
    if (insertion_) {
        first = *insertion_;
    } else {
        first = static_cast<std::size_t>(std::max(0.0, std::ceil(view_.first)));
    }
    first = std::min(first, SampleCount() - 1);
    return trace::SampleSpan{first, SampleCount() - first};
}

void WaveformWindow::PlayFromWindow(bool loop) {
    if (host_ == nullptr || !trace_) {
        return;
    }
    const std::optional<trace::SampleSpan> span = loop ? selection_ : SpanToPlay();
    if (!span) {
        return;
    }
    host_->PlaySpan(trace_, *span, loop);
}

void WaveformWindow::ZoomAround(double anchor, double factor) {
    if (summary_) {
        SetView(trace::ZoomView(view_, anchor, factor, SampleCount()));
    }
}

void WaveformWindow::FollowPlayer(std::weak_ptr<const trace::LoadedTrace> sound_trace,
                                  std::size_t first_sample) {
    sound_trace_ = std::move(sound_trace);
    played_first_ = first_sample;
    view_moved_during_play_ = false;
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
    const std::size_t heard = played_first_ + player_.HeardSample();
    if (cursor_ != heard) {
        cursor_ = heard;
        update();
    }
    // The view turns a page when the cursor leaves it, unless the user has
    // taken the view elsewhere during this play.
    const auto position = static_cast<double>(heard);
    if (player_.IsPlaying() && !view_moved_during_play_ && summary_ &&
        (position < view_.first || position >= view_.first + view_.span)) {
        SetView({position, view_.span}, false);
    }
}

void WaveformWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QSize whole = CanvasSize();
    painter.fillRect(QRect(0, whole.height(), width(), height() - whole.height()),
                     palette().window());
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
    plot::PlotTrace plotted = plot::PlotTraceOf(*drawn_, *summary_);
    plotted.title = FilteredHeading(drawn_->title, filter_name_);
    plotted.time_labels = time_labels_;
    const QSize area = WaveformSize();
    if (spectrogram_shown_) {
        const int panel_height = plot::SpectrogramPanelHeight(whole.height());
        // beside the waveform, over the colour bar
        painter.fillRect(QRect(QPoint(0, 0), whole), Qt::white);
        painter.save();
        painter.translate(0, whole.height() - panel_height);
        spectrogram_.Draw(painter, QSize(whole.width(), panel_height), plotted, view_, cursor_);
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
        const QRect canvas = plot::PlotArea(area);
        painter.setClipRect(canvas);
        if (selection_) {
            const double left =
                plot::XAtSamplePosition(area, view_, static_cast<double>(selection_->first));
            const double right = plot::XAtSamplePosition(
                area, view_, static_cast<double>(selection_->first + selection_->count));
            painter.fillRect(
                QRectF(left, canvas.top(), std::max(right - left, 1.0), canvas.height()),
                kSelectionColour);
        }
        if (insertion_) {
            const double x = plot::XAtSamplePosition(area, view_, static_cast<double>(*insertion_));
            painter.setPen(QPen(kInsertionColour, 1, Qt::DashLine));
            painter.drawLine(QPointF(x, canvas.top()), QPointF(x, canvas.bottom()));
        }
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
    const double anchor = PositionAtX(event->position().x());
    ZoomAround(anchor, std::pow(kZoomStep, steps));
    event->accept();
}

void WaveformWindow::mousePressEvent(QMouseEvent* event) {
    if (!summary_ || event->position().y() >= CanvasSize().height()) {
        return;
    }
    const bool pan =
        event->button() == Qt::MiddleButton ||
        (event->button() == Qt::LeftButton && event->modifiers().testFlag(Qt::ShiftModifier));
    if (!pan && event->button() != Qt::LeftButton) {
        return;
    }
    drag_start_ = event->position().toPoint();
    drag_view_ = view_;
    drag_selects_ = !pan;
    drag_moved_ = false;
    if (pan) {
        setCursor(Qt::ClosedHandCursor);
    }
}

void WaveformWindow::mouseMoveEvent(QMouseEvent* event) {
    const double x = event->position().x();
    ShowPointer(x);
    if (!drag_start_ || !summary_) {
        return;
    }
    if (!drag_moved_ && std::abs(x - drag_start_->x()) < QApplication::startDragDistance()) {
        return;
    }
    drag_moved_ = true;
    if (drag_selects_) {
        SelectBetween(plot::SamplePositionAtX(WaveformSize(), drag_view_, drag_start_->x()),
                      PositionAtX(x));
        return;
    }
    // The trace moves with the pointer: the sample that was under it when
    // the drag began stays under it.
    const double moved = plot::SamplePositionAtX(WaveformSize(), drag_view_, drag_start_->x()) -
                         plot::SamplePositionAtX(WaveformSize(), drag_view_, x);
    SetView(trace::PanView(drag_view_, moved, SampleCount()));
}

void WaveformWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (!drag_start_) {
        return;
    }
    if (drag_selects_ && !drag_moved_ && summary_ && SampleCount() > 0) {
        // A click: no selection, an insertion point at the nearest sample.
        const double position = std::round(PositionAtX(event->position().x()));
        ClearMarks();
        insertion_ = static_cast<std::size_t>(
            std::clamp(position, 0.0, static_cast<double>(SampleCount() - 1)));
        update();
    }
    drag_start_.reset();
    unsetCursor();
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
        case Qt::Key_Left:
            SetView(trace::PanView(view_, -view_.span * kArrowStep, SampleCount()));
            return;
        case Qt::Key_Right:
            SetView(trace::PanView(view_, view_.span * kArrowStep, SampleCount()));
            return;
        case Qt::Key_PageUp:
            SetView(trace::PanView(view_, -view_.span, SampleCount()));
            return;
        case Qt::Key_PageDown:
            SetView(trace::PanView(view_, view_.span, SampleCount()));
            return;
        case Qt::Key_Space:
            if (host_ != nullptr && host_->IsPlaying()) {
                host_->StopPlaying();
            } else {
                PlayFromWindow(event->modifiers().testFlag(Qt::ShiftModifier));
            }
            return;
        case Qt::Key_Escape:
            if (host_ != nullptr) {
                host_->StopPlaying();
            }
            return;
        default:
            QWidget::keyPressEvent(event);
    }
}

void WaveformWindow::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    const bool drawn = trace_ && summary_;
    QAction* sound =
        menu.addAction(selection_ ? "Export Selection as &WAVE…" : "Export View as &WAVE…", this,
                       &WaveformWindow::ExportSound);
    sound->setEnabled(drawn);
    QAction* samples =
        menu.addAction(selection_ ? "Export Selection as S&AC…" : "Export View as S&AC…", this,
                       &WaveformWindow::ExportSac);
    samples->setEnabled(drawn);
    QAction* picture =
        menu.addAction("Export View as &Picture…", this, &WaveformWindow::ExportPicture);
    picture->setEnabled(drawn);
    menu.addSeparator();
    QAction* seconds = menu.addAction("&Seconds After Reference Time");
    seconds->setCheckable(true);
    seconds->setChecked(time_labels_ == plot::TimeLabels::SecondsAfterReference);
    connect(seconds, &QAction::toggled, this, [this](bool on) {
        SetTimeLabels(on ? plot::TimeLabels::SecondsAfterReference : plot::TimeLabels::Utc);
    });
    menu.exec(event->globalPos());
}

std::optional<std::filesystem::path> WaveformWindow::ChooseExportFile(const QString& caption,
                                                                      const std::string& proposed,
                                                                      const QString& filter) {
    std::filesystem::path folder = trace_ ? trace_->path.parent_path() : std::filesystem::path();
    const QString suggested = QString::fromStdString((folder / proposed).string());
    if (choose_file_) {
        return choose_file_(caption, suggested, filter);
    }
    const QString chosen = QFileDialog::getSaveFileName(this, caption, suggested, filter);
    if (chosen.isEmpty()) {
        return std::nullopt;
    }
    return std::filesystem::path(chosen.toStdString());
}

void WaveformWindow::ShowExportProblem(const std::string& problem) {
    QMessageBox::warning(this, "Tremorline", FromUtf8(AsSentence(problem)));
}

trace::SampleSpan WaveformWindow::ExportedSpan() const {
    return selection_.value_or(ShownSamples(view_, SampleCount()));
}

void WaveformWindow::RunExport(const std::string& title,
                               const std::function<void(const Progress&)>& work) {
    try {
        if (host_ != nullptr) {
            host_->RunExport(this, title, work);
        } else {
            work(Progress());
        }
    } catch (const Cancelled&) {
        // The user stopped it: no file, nothing to say.
    } catch (const std::exception& error) {
        ShowExportProblem(FailureReason(error));
    }
}

void WaveformWindow::ExportSound() {
    if (!trace_ || !summary_ || SampleCount() == 0) {
        return;
    }
    const trace::SampleSpan span = ExportedSpan();
    const std::optional<std::int32_t> rate = host_ != nullptr ? host_->SoundRate() : std::nullopt;
    if (!rate) {
        ShowExportProblem(
            "No playback rate can be worked out for this trace. Choose a rate in the Sound Box "
            "first.");
        return;
    }
    const auto path = ChooseExportFile("Export WAVE", trace::SpanFileName(*trace_, span, ".wav"),
                                       "WAVE sound (*.wav)");
    if (path) {
        const std::shared_ptr<const trace::LoadedTrace> drawn = drawn_;
        RunExport("Exporting the sound", [&](const Progress& progress) {
            ExportSpanSound(*drawn, span, *rate, *path, progress);
        });
    }
}

void WaveformWindow::ExportSac() {
    if (!trace_ || !summary_ || SampleCount() == 0) {
        return;
    }
    const trace::SampleSpan span = ExportedSpan();
    const auto path =
        ChooseExportFile("Export SAC", trace::SpanFileName(*trace_, span, SacExtensionFor(*trace_)),
                         "SAC file (*.sac *.SAC)");
    if (path) {
        // The samples drawn: filtered when a filter is chosen, the whole
        // trace filtered before the cut.
        const std::shared_ptr<const trace::LoadedTrace> drawn = drawn_;
        RunExport("Exporting the samples",
                  [&](const Progress& progress) { ExportSpanSac(*drawn, span, *path, progress); });
    }
}

void WaveformWindow::ExportPicture() {
    if (!trace_ || !summary_ || SampleCount() == 0) {
        return;
    }
    const trace::SampleSpan shown = ShownSamples(view_, SampleCount());
    const auto path =
        ChooseExportFile("Export Picture", trace::SpanFileName(*trace_, shown, ".png"),
                         "PNG image (*.png);;SVG drawing (*.svg)");
    if (path) {
        try {
            plot::PlotTrace plotted = plot::PlotTraceOf(*drawn_, *summary_);
            plotted.title = FilteredHeading(drawn_->title, filter_name_);
            plotted.time_labels = time_labels_;
            ExportViewPicture(plotted, view_, CanvasSize(), *path);
        } catch (const std::exception& error) {
            ShowExportProblem(FailureReason(error));
        }
    }
}

void WaveformWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int canvas = CanvasSize().height();
    const int bar = scroll_->sizeHint().height();
    const int line = pointer_label_->sizeHint().height();
    scroll_->setGeometry(0, canvas, width(), bar);
    pointer_label_->setGeometry(4, canvas + bar + 2, width() / 2 - 4, line);
    selection_label_->setGeometry(width() / 2, canvas + bar + 2, width() / 2 - 4, line);
    if (isVisible()) {
        QSettings().setValue(kSizeKey, size());
    }
}

}  // namespace tremorline::app
