// SPDX-License-Identifier: MIT
#pragma once

// The spectrogram of a trace: how the power of each frequency changes with
// time. The samples are cut into windows of a chosen length that overlap by
// a chosen fraction; each window loses its mean, is shaped by a Hann window
// and transformed (KissFFT); the power of each frequency bin is kept in dB
// relative to one count squared, scaled so that a sine of amplitude A in the
// middle of a bin reads its mean square, 20·log10(A / √2) dB.
//
// A long trace has far more windows than a drawing has columns, so the
// powers are kept in levels, like the min/max summary: the finest level holds
// the mean power of every window (or, for a very long trace, of a few
// windows together, so that the levels stay within a fixed budget), and each
// coarser level the mean of four entries of the one below. A view reads, per
// pixel column, the entries of the coarsest level that still resolves it;
// a view zoomed in beyond the finest level transforms the few windows it
// shows from the samples themselves. Any view is then a few thousand entries
// of work, whatever the length of the trace.
//
// The samples analysed come from a SampleSource: the trace as recorded, or
// the filtered trace when a filter is chosen. The same source must be given
// to the build and to every view of it.

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/progress.h"
#include "common/sample_source.h"
#include "trace/envelope.h"

namespace tremorline::dsp {

// The window length chosen when the user chooses none, where DELTA allows:
// 256 samples at 100 samples a second.
inline constexpr double kDefaultWindowSeconds = 2.56;
inline constexpr std::size_t kMinWindowSamples = 64;
inline constexpr std::size_t kMaxWindowSamples = 4096;
// Three quarters overlap: a smooth picture when zoomed in, and a day of
// 100-sample-a-second data still transforms in a fraction of a second.
inline constexpr double kDefaultOverlap = 0.75;

// What the user chooses.
struct SpectrogramSettings {
    std::optional<double> window_seconds;  // nothing: about kDefaultWindowSeconds
    double overlap = kDefaultOverlap;      // 0 to below 1

    friend bool operator==(const SpectrogramSettings&, const SpectrogramSettings&) = default;
};

// Nothing when `seconds` can be a window length (a finite number above 0),
// otherwise why not, as a sentence.
std::optional<std::string> WindowSecondsProblem(double seconds);

// Nothing when `overlap` is at least 0 and below 1, otherwise why not.
std::optional<std::string> OverlapProblem(double overlap);

// The settings turned into sample counts for one trace.
struct SpectrogramLayout {
    double delta = 1;          // seconds per sample
    std::size_t window = 0;    // samples per transform
    std::size_t hop = 0;       // samples from one window's start to the next
    std::size_t fft_size = 0;  // the window and zeros after it: even, and fast for KissFFT
    std::size_t frames = 0;    // windows in the trace
    std::size_t samples = 0;   // samples in the trace

    // Frequency bins, 0 Hz to the Nyquist frequency.
    std::size_t Bins() const { return fft_size / 2 + 1; }
    double BinFrequency(std::size_t bin) const {
        return static_cast<double>(bin) / (static_cast<double>(fft_size) * delta);
    }
    double Nyquist() const { return 0.5 / delta; }
    double WindowSeconds() const { return static_cast<double>(window) * delta; }
    // The sample position of the middle of window `frame`.
    double FrameCentre(std::size_t frame) const {
        return static_cast<double>(frame * hop) + (static_cast<double>(window) - 1) / 2;
    }

    friend bool operator==(const SpectrogramLayout&, const SpectrogramLayout&) = default;
};

// The layout for a trace of `sample_count` samples DELTA seconds apart.
// Throws UserError, saying why the trace has no spectrogram, when DELTA is not
// a finite number above 0, when the window is not kMinWindowSamples to
// kMaxWindowSamples samples, or when the trace is shorter than one window.
// Settings are expected to have passed the two checks above.
SpectrogramLayout ChooseSpectrogramLayout(const SpectrogramSettings& settings, double delta,
                                          std::size_t sample_count);

// The range of dB the colours span.
struct DbLimits {
    double low = 0;
    double high = 1;

    friend bool operator==(const DbLimits&, const DbLimits&) = default;
};

// How much memory the levels may take, and how many threads transform.
struct SpectrogramBuildOptions {
    // 0: as many as the processor has, at most 8.
    unsigned threads = 0;
    // Powers held in all levels together, at most about 4/3 of this many:
    // 16 Mi values, 64 MiB for the finest level.
    std::size_t max_stored_values = std::size_t{1} << 24;
};

class Spectrogram {
  public:
    // Entry e of a level holds the mean power of windows [e * frames_per_entry,
    // (e + 1) * frames_per_entry), the last entry possibly of fewer; its
    // Bins() values start at power[e * Bins()].
    struct Level {
        std::size_t frames_per_entry = 1;
        std::size_t entries = 0;
        std::vector<float> power;
    };

    const SpectrogramLayout& Layout() const { return layout_; }
    // Finest first.
    const std::vector<Level>& Levels() const { return levels_; }

    // The 5th percentile and the maximum of the finest level's powers, in dB:
    // the colours' default range, so that a quiet and a loud trace both show
    // their structure.
    DbLimits DataLimits() const { return limits_; }

    // Bytes held by the levels.
    std::size_t MemoryBytes() const;

  private:
    friend Spectrogram BuildSpectrogram(const SampleSource&, const SpectrogramLayout&,
                                        const Progress&, const SpectrogramBuildOptions&);

    SpectrogramLayout layout_;
    std::vector<Level> levels_;
    DbLimits limits_;
};

// Power to dB; zero power (a silent stretch) reads -300 dB.
double PowerToDb(double power);

// Reads every sample of `samples` once, a stretch at a time, and builds the
// levels; several threads share the windows, each with its own transform.
// `layout` must come from ChooseSpectrogramLayout for the same samples.
// Throws UserError when a sample is NaN or infinite (saying how many are),
// Cancelled when `progress` is stopped, and what the source throws.
Spectrogram BuildSpectrogram(const SampleSource& samples, const SpectrogramLayout& layout,
                             const Progress& progress = Progress(),
                             const SpectrogramBuildOptions& options = {});

// One view of a spectrogram as rows of dB per column: row 0 at the Nyquist
// frequency, the last row at 0 Hz. A column beyond the trace is NaN.
struct SpectrogramPicture {
    std::size_t width = 0;
    std::size_t rows = 0;
    std::vector<float> db;  // column-major: column c's rows start at db[c * rows]

    float At(std::size_t column, std::size_t row) const { return db[column * rows + row]; }
};

// `view` (sample positions, as the waveform's) on `width` columns and `rows`
// rows. Column c covers the positions of the waveform's column c and shows
// the mean power of the windows centred in it, or, where none is, of the
// window whose centre is nearest. Zoomed in beyond the finest level of a very
// long trace, the window in the column's middle stands for the column's few. A row shows the
// strongest bin among the frequencies it covers, so that a narrow line stays visible in a short
// panel. `samples` must be the source the spectrogram was built from.
// Throws what the source throws.
SpectrogramPicture ComputeSpectrogramPicture(const Spectrogram& spectrogram,
                                             const SampleSource& samples,
                                             const trace::TraceView& view, std::size_t width,
                                             std::size_t rows);

}  // namespace tremorline::dsp
