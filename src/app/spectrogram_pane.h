// SPDX-License-Identifier: MIT
#pragma once

// The spectrogram under the waveform in the waveform window. Its levels are
// built on a worker thread when samples are shown; showing other samples
// (another trace, or the trace through another filter) stops that build and
// starts a new one. Until the levels are ready, or when the trace has no
// spectrogram, the panel says so. The picture of the last view drawn is
// kept, so that a moving play cursor redraws without computing it again.

#include <QObject>
#include <QPainter>
#include <QSize>
#include <QString>
#include <cstddef>
#include <memory>
#include <optional>
#include <stop_token>
#include <thread>

#include "dsp/spectrogram.h"
#include "plot/spectrogram_plot.h"
#include "plot/trace_plot.h"

namespace tremorline::app {

// What the user chose for the spectrogram: the window and overlap, and the
// dB range of the colours (each end from the data when not chosen). Kept
// between runs.
struct SpectrogramChoice {
    dsp::SpectrogramSettings settings;
    std::optional<double> db_low;
    std::optional<double> db_high;

    // The colours' range for a spectrogram whose own range is `data`.
    dsp::DbLimits LimitsFor(const dsp::DbLimits& data) const;

    static SpectrogramChoice Load();  // from QSettings; bad values give the defaults
    void Save() const;

    friend bool operator==(const SpectrogramChoice&, const SpectrogramChoice&) = default;
};

class SpectrogramPane : public QObject {
    Q_OBJECT

  public:
    explicit SpectrogramPane(QObject* parent = nullptr);
    ~SpectrogramPane() override;
    SpectrogramPane(const SpectrogramPane&) = delete;
    SpectrogramPane& operator=(const SpectrogramPane&) = delete;

    // Builds the spectrogram of `samples`, DELTA seconds apart, with
    // `settings`, abandoning any build in progress. Null shows nothing.
    void Show(std::shared_ptr<const SampleSource> samples, double delta,
              const dsp::SpectrogramSettings& settings = {});
    // Stops any build and forgets the samples.
    void Clear();
    // The dB range of the colours from now on.
    void SetLimits(const SpectrogramChoice& choice) { limits_choice_ = choice; }

    const std::shared_ptr<const SampleSource>& Samples() const { return samples_; }
    // True once the spectrogram of the samples shown is built.
    bool Ready() const { return spectrogram_ != nullptr; }
    // Why there is no spectrogram, when there is none.
    const QString& Problem() const { return problem_; }

    // Draws the panel of `size` at the painter's origin, for `view` of
    // `trace`, with the play cursor at `cursor_sample`.
    void Draw(QPainter& painter, QSize size, const plot::PlotTrace& trace,
              const trace::TraceView& view, std::optional<std::size_t> cursor_sample);

  signals:
    // The build has ended, with a spectrogram or a reason: time to repaint.
    void Changed();

  private:
    void Built(unsigned generation, std::shared_ptr<const dsp::Spectrogram> spectrogram,
               const QString& problem);
    void StopWorker();

    std::shared_ptr<const SampleSource> samples_;
    std::shared_ptr<const dsp::Spectrogram> spectrogram_;
    QString problem_;
    SpectrogramChoice limits_choice_;

    // The picture last drawn and what it was drawn for.
    std::optional<dsp::SpectrogramPicture> picture_;
    trace::TraceView picture_view_;
    QSize picture_size_;

    unsigned generation_ = 0;  // counts the builds, so a late one is ignored
    std::jthread worker_;      // last: stopped and joined before the rest goes
};

}  // namespace tremorline::app
