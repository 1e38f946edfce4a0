// SPDX-License-Identifier: MIT
#include "app/spectrogram_pane.h"

#include <QSettings>
#include <QVariant>
#include <cmath>
#include <exception>
#include <utility>

#include "common/progress.h"

namespace tremorline::app {
namespace {

constexpr const char* kWindowKey = "spectrogram/window";
constexpr const char* kOverlapKey = "spectrogram/overlap";
constexpr const char* kDbLowKey = "spectrogram/dbLow";
constexpr const char* kDbHighKey = "spectrogram/dbHigh";

std::optional<double> ReadNumber(const QSettings& settings, const char* key) {
    bool ok = false;
    const double value = settings.value(key).toDouble(&ok);
    if (!ok || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

void WriteNumber(QSettings& settings, const char* key, const std::optional<double>& value) {
    if (value) {
        settings.setValue(key, *value);
    } else {
        settings.remove(key);
    }
}

}  // namespace

dsp::DbLimits SpectrogramChoice::LimitsFor(const dsp::DbLimits& data) const {
    dsp::DbLimits limits{db_low.value_or(data.low), db_high.value_or(data.high)};
    if (!(limits.high > limits.low)) {
        return data;  // one end chosen beyond the other's data value
    }
    return limits;
}

SpectrogramChoice SpectrogramChoice::Load() {
    const QSettings stored;
    SpectrogramChoice choice;
    const std::optional<double> window = ReadNumber(stored, kWindowKey);
    if (window && !dsp::WindowSecondsProblem(*window)) {
        choice.settings.window_seconds = window;
    }
    const std::optional<double> overlap = ReadNumber(stored, kOverlapKey);
    if (overlap && !dsp::OverlapProblem(*overlap)) {
        choice.settings.overlap = *overlap;
    }
    choice.db_low = ReadNumber(stored, kDbLowKey);
    choice.db_high = ReadNumber(stored, kDbHighKey);
    return choice;
}

void SpectrogramChoice::Save() const {
    QSettings stored;
    WriteNumber(stored, kWindowKey, settings.window_seconds);
    stored.setValue(kOverlapKey, settings.overlap);
    WriteNumber(stored, kDbLowKey, db_low);
    WriteNumber(stored, kDbHighKey, db_high);
}

SpectrogramPane::SpectrogramPane(QObject* parent) : QObject(parent) {}

SpectrogramPane::~SpectrogramPane() {
    StopWorker();
}

void SpectrogramPane::StopWorker() {
    // The build looks at its stop token after every window, so this waits
    // for a few transforms at most.
    if (worker_.joinable()) {
        worker_.request_stop();
        worker_.join();
    }
}

void SpectrogramPane::Clear() {
    StopWorker();
    ++generation_;
    samples_.reset();
    spectrogram_.reset();
    problem_.clear();
    picture_.reset();
}

void SpectrogramPane::Show(std::shared_ptr<const SampleSource> samples, double delta,
                           const dsp::SpectrogramSettings& settings) {
    Clear();
    samples_ = std::move(samples);
    if (!samples_) {
        return;
    }
    const unsigned generation = generation_;
    worker_ =
        std::jthread([this, generation, samples = samples_, delta, settings](std::stop_token stop) {
            std::shared_ptr<const dsp::Spectrogram> spectrogram;
            QString problem;
            try {
                const Progress progress(stop);
                const dsp::SpectrogramLayout layout =
                    dsp::ChooseSpectrogramLayout(settings, delta, samples->Count());
                spectrogram = std::make_shared<const dsp::Spectrogram>(
                    dsp::BuildSpectrogram(*samples, layout, progress));
            } catch (const Cancelled&) {
                return;  // stopped: newer samples or the window's end
            } catch (const std::exception& error) {
                problem = QString::fromLocal8Bit(error.what());
            }
            // Delivered on the window's thread. The pane joins this thread before
            // it goes, and a call still queued then is dropped with it.
            QMetaObject::invokeMethod(
                this,
                [this, generation, spectrogram = std::move(spectrogram), problem] {
                    Built(generation, spectrogram, problem);
                },
                Qt::QueuedConnection);
        });
}

void SpectrogramPane::Built(unsigned generation,
                            std::shared_ptr<const dsp::Spectrogram> spectrogram,
                            const QString& problem) {
    if (generation != generation_) {
        return;  // for samples no longer shown
    }
    spectrogram_ = std::move(spectrogram);
    problem_ = problem;
    picture_.reset();
    emit Changed();
}

void SpectrogramPane::Draw(QPainter& painter, QSize size, const plot::PlotTrace& trace,
                           const trace::TraceView& view, std::optional<std::size_t> cursor_sample) {
    if (!problem_.isEmpty()) {
        plot::DrawSpectrogramMessage(painter, size, problem_);
        return;
    }
    if (!spectrogram_ || !samples_) {
        plot::DrawSpectrogramMessage(painter, size,
                                     QString::fromUtf8("Computing the spectrogram…"));
        return;
    }
    const plot::SpectrogramPanel panel{*spectrogram_, *samples_,
                                       limits_choice_.LimitsFor(spectrogram_->DataLimits())};
    try {
        if (!picture_ || picture_view_ != view || picture_size_ != size) {
            picture_ = plot::SpectrogramPictureFor(size, panel, view);
            picture_view_ = view;
            picture_size_ = size;
        }
        plot::DrawSpectrogram(painter, size, trace, panel, view, *picture_, cursor_sample);
    } catch (const std::exception& error) {
        picture_.reset();
        plot::DrawSpectrogramMessage(painter, size, QString::fromLocal8Bit(error.what()));
    }
}

}  // namespace tremorline::app
