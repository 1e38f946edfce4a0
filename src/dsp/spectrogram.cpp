// SPDX-License-Identifier: MIT
#include "dsp/spectrogram.h"

#include <kiss_fftr.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <limits>
#include <memory>
#include <new>
#include <numbers>
#include <thread>

#include "common/user_error.h"
#include "trace/minmax_summary.h"

namespace tremorline::dsp {
namespace {

// Samples read at a time by each thread, besides one window's worth.
constexpr std::size_t kStretch = 65536;
// Each coarser level holds the mean of this many entries of the one below.
constexpr std::size_t kLevelFactor = 4;
// The coarsest level holds at most this many entries.
constexpr std::size_t kTopEntries = 16;
// A view zoomed in beyond the finest level transforms at most this many
// windows per column: the one in its middle.
constexpr std::size_t kFramesPerColumnOnDemand = 1;
constexpr double kPowerFloor = 1e-30;

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

struct KissDeleter {
    void operator()(kiss_fftr_state* config) const { kiss_fftr_free(config); }
};
using KissConfig = std::unique_ptr<kiss_fftr_state, KissDeleter>;

// One thread's transform: its own KissFFT configuration (which holds scratch
// space) and buffers.
class FrameTransform {
  public:
    explicit FrameTransform(const SpectrogramLayout& layout)
        : layout_(layout),
          config_(kiss_fftr_alloc(static_cast<int>(layout.fft_size), 0, nullptr, nullptr)),
          input_(layout.fft_size, 0.0f),
          output_(layout.Bins()),
          window_(layout.window),
          scale_(layout.Bins()) {
        if (!config_) {
            throw UserError("There is not enough memory for the spectrogram's transform.");
        }
        // The periodic Hann window, as spectral analysis uses it.
        const double n = static_cast<double>(layout.window);
        double sum = 0;
        for (std::size_t i = 0; i < layout.window; ++i) {
            const double w =
                0.5 - 0.5 * std::cos(2 * std::numbers::pi * static_cast<double>(i) / n);
            window_[i] = static_cast<float>(w);
            sum += w;
        }
        // One-sided power: every bin but 0 Hz and the Nyquist frequency also
        // stands for its negative frequency.
        const double norm = 1 / (sum * sum);
        for (std::size_t k = 0; k < scale_.size(); ++k) {
            const bool edge = k == 0 || k == scale_.size() - 1;
            scale_[k] = static_cast<float>(edge ? norm : 2 * norm);
        }
    }

    // Adds the unscaled power of the window starting at `samples` to `sum`.
    void AddPower(const float* samples, float* sum) {
        double total = 0;
        for (std::size_t i = 0; i < layout_.window; ++i) {
            total += samples[i];
        }
        const auto mean = static_cast<float>(total / static_cast<double>(layout_.window));
        for (std::size_t i = 0; i < layout_.window; ++i) {
            input_[i] = (samples[i] - mean) * window_[i];
        }
        kiss_fftr(config_.get(), input_.data(), output_.data());
        for (std::size_t k = 0; k < output_.size(); ++k) {
            sum[k] += output_[k].r * output_[k].r + output_[k].i * output_[k].i;
        }
    }

    // Turns a sum of `frames` windows' powers into their mean scaled power.
    // Powers below the floor are kept as 0: they read as the floor anyway,
    // and arithmetic on the subnormal numbers an almost silent stretch
    // produces is many times slower than on ordinary ones.
    void Finish(float* sum, std::size_t frames) const {
        constexpr auto kFloor = static_cast<float>(kPowerFloor);
        const float per_frame = 1.0f / static_cast<float>(frames);
        for (std::size_t k = 0; k < scale_.size(); ++k) {
            const float power = sum[k] * scale_[k] * per_frame;
            sum[k] = power >= kFloor ? power : 0.0f;
        }
    }

  private:
    const SpectrogramLayout& layout_;
    KissConfig config_;
    std::vector<float> input_;
    std::vector<kiss_fft_cpx> output_;
    std::vector<float> window_;
    std::vector<float> scale_;
};

template <typename T>
std::vector<T> Allocate(std::size_t count) {
    try {
        return std::vector<T>(count);
    } catch (const std::bad_alloc&) {
        throw UserError("There is not enough memory for the spectrogram.");
    } catch (const std::length_error&) {
        throw UserError("There is not enough memory for the spectrogram.");
    }
}

// The samples of consecutive windows, read a stretch at a time.
class StretchReader {
  public:
    StretchReader(const SampleSource& samples, std::size_t window)
        : samples_(samples), buffer_(Allocate<float>(kStretch + window)) {}

    // Samples [first, first + length) in memory; reads a new stretch from
    // `first` (up to `end`) when they are not all there. Sets `gap` when a
    // stretch read holds a NaN or an infinity.
    const float* At(std::size_t first, std::size_t length, std::size_t end, bool& gap) {
        if (first < first_ || first + length > first_ + filled_) {
            first_ = first;
            filled_ = std::min(buffer_.size(), end - first);
            samples_.Read(first_, std::span<float>(buffer_.data(), filled_));
            gap = gap || trace::ScanMinMax(buffer_.data(), filled_).gap;
        }
        return buffer_.data() + (first - first_);
    }

  private:
    const SampleSource& samples_;
    std::vector<float> buffer_;
    std::size_t first_ = 0;
    std::size_t filled_ = 0;
};

std::size_t CountNotFinite(const SampleSource& samples, std::size_t first, std::size_t end) {
    std::vector<float> stretch(std::min(kStretch, end - first));
    std::size_t count = 0;
    for (std::size_t at = first; at < end; at += stretch.size()) {
        const std::size_t length = std::min(stretch.size(), end - at);
        samples.Read(at, std::span<float>(stretch.data(), length));
        count += static_cast<std::size_t>(
            std::count_if(stretch.begin(), stretch.begin() + static_cast<std::ptrdiff_t>(length),
                          [](float value) { return !std::isfinite(value); }));
    }
    return count;
}

// Shared by the threads of one build.
struct BuildState {
    const SampleSource& samples;
    const SpectrogramLayout& layout;
    const Progress& progress;
    Spectrogram::Level& finest;
    std::atomic<bool> abandon{false};
    std::atomic<bool> gap{false};
    std::atomic<std::size_t> entries_done{0};
};

// Entries [first, end) of the finest level. The first part reports progress.
void BuildEntries(BuildState& state, std::size_t first, std::size_t end, bool reports) {
    const SpectrogramLayout& layout = state.layout;
    const std::size_t group = state.finest.frames_per_entry;
    const std::size_t bins = layout.Bins();
    FrameTransform transform(layout);
    StretchReader reader(state.samples, layout.window);
    const std::size_t sample_end = std::min(
        layout.samples, (std::min(end * group, layout.frames) - 1) * layout.hop + layout.window);
    bool gap = false;
    for (std::size_t entry = first; entry < end; ++entry) {
        if (state.abandon.load(std::memory_order_relaxed) || state.progress.StopRequested()) {
            return;
        }
        float* sum = state.finest.power.data() + entry * bins;
        const std::size_t frame_end = std::min((entry + 1) * group, layout.frames);
        for (std::size_t frame = entry * group; frame < frame_end; ++frame) {
            const std::size_t start = frame * layout.hop;
            transform.AddPower(reader.At(start, layout.window, sample_end, gap), sum);
        }
        transform.Finish(sum, frame_end - entry * group);
        if (gap) {
            state.gap = true;
            state.abandon = true;
            return;
        }
        const std::size_t done = state.entries_done.fetch_add(1, std::memory_order_relaxed) + 1;
        if (reports) {
            state.progress.Step(done, state.finest.entries);
        }
    }
}

unsigned ThreadCount(unsigned asked, std::size_t entries) {
    constexpr unsigned kMaxThreads = 8;
    constexpr std::size_t kEntriesPerThread = 64;
    unsigned threads = asked != 0 ? asked : std::max(1u, std::thread::hardware_concurrency());
    threads = std::min(threads, kMaxThreads);
    const std::size_t useful = std::max<std::size_t>(1, entries / kEntriesPerThread);
    return static_cast<unsigned>(std::min<std::size_t>(threads, useful));
}

// The next coarser level: each entry the mean of up to kLevelFactor entries,
// weighted by the windows each holds.
Spectrogram::Level Coarser(const Spectrogram::Level& finer, std::size_t frames, std::size_t bins) {
    Spectrogram::Level level;
    level.frames_per_entry = finer.frames_per_entry * kLevelFactor;
    level.entries = (finer.entries + kLevelFactor - 1) / kLevelFactor;
    level.power = Allocate<float>(level.entries * bins);
    for (std::size_t entry = 0; entry < level.entries; ++entry) {
        float* out = level.power.data() + entry * bins;
        const std::size_t child_end = std::min(finer.entries, (entry + 1) * kLevelFactor);
        std::size_t total_frames = 0;
        for (std::size_t child = entry * kLevelFactor; child < child_end; ++child) {
            const std::size_t child_frames =
                std::min(frames, (child + 1) * finer.frames_per_entry) -
                child * finer.frames_per_entry;
            const float weight = static_cast<float>(child_frames);
            const float* in = finer.power.data() + child * bins;
            for (std::size_t k = 0; k < bins; ++k) {
                out[k] += in[k] * weight;
            }
            total_frames += child_frames;
        }
        const float per_frame = 1.0f / static_cast<float>(total_frames);
        for (std::size_t k = 0; k < bins; ++k) {
            out[k] *= per_frame;
        }
    }
    return level;
}

// The 5th percentile and the maximum of `power`. A positive float's bits
// order as its value does, so a histogram over the top 16 bits finds the
// percentile to within 1/128 of the value (0.03 dB) in one pass. Silence
// (zero power, as in a stretch of zeros filling a gap in the recording) is
// left out, so that it cannot stretch the range down to the floor.
DbLimits LimitsOf(const std::vector<float>& power) {
    constexpr unsigned kShift = 16;
    std::vector<std::size_t> histogram(std::size_t{1} << kShift);
    float highest = 0;
    std::size_t counted = 0;
    for (const float value : power) {
        if (value > 0) {
            ++histogram[std::bit_cast<std::uint32_t>(value) >> kShift];
            highest = std::max(highest, value);
            ++counted;
        }
    }
    if (counted == 0) {
        return {PowerToDb(0) - 1, PowerToDb(0)};
    }
    const std::size_t wanted = counted / 20;
    std::size_t seen = 0;
    std::uint32_t bucket = 0;
    for (; bucket + 1 < histogram.size(); ++bucket) {
        seen += histogram[bucket];
        if (seen > wanted) {
            break;
        }
    }
    DbLimits limits;
    limits.high = PowerToDb(highest);
    limits.low = std::min(PowerToDb(std::bit_cast<float>(bucket << kShift)), limits.high);
    // A picture of one level everywhere still needs a range.
    if (limits.high - limits.low < 1) {
        limits.low = limits.high - 1;
    }
    return limits;
}

}  // namespace

std::optional<std::string> WindowSecondsProblem(double seconds) {
    if (std::isfinite(seconds) && seconds > 0) {
        return std::nullopt;
    }
    return "the window must be a number of seconds above 0, not " + Number(seconds);
}

std::optional<std::string> OverlapProblem(double overlap) {
    if (overlap >= 0 && overlap < 1) {
        return std::nullopt;
    }
    return "the overlap must be at least 0 and below 1, not " + Number(overlap);
}

SpectrogramLayout ChooseSpectrogramLayout(const SpectrogramSettings& settings, double delta,
                                          std::size_t sample_count) {
    if (!std::isfinite(delta) || !(delta > 0)) {
        throw UserError("No spectrogram: the sample interval DELTA is " + Number(delta) +
                        ", not a number of seconds above 0.");
    }
    SpectrogramLayout layout;
    layout.delta = delta;
    layout.samples = sample_count;
    const double wanted = settings.window_seconds.value_or(kDefaultWindowSeconds) / delta;
    double window = std::round(wanted / 2) * 2;  // KissFFT's real transform takes even lengths
    if (!settings.window_seconds) {
        window = std::clamp(window, static_cast<double>(kMinWindowSamples),
                            static_cast<double>(kMaxWindowSamples));
    } else if (!(window >= static_cast<double>(kMinWindowSamples) &&
                 window <= static_cast<double>(kMaxWindowSamples))) {
        throw UserError("No spectrogram: a window of " + Number(*settings.window_seconds) +
                        " s is " + Number(std::round(wanted)) + " samples at DELTA " +
                        Number(delta) + " s; a window must be " +
                        std::to_string(kMinWindowSamples) + " to " +
                        std::to_string(kMaxWindowSamples) + " samples.");
    }
    layout.window = static_cast<std::size_t>(window);
    if (sample_count < layout.window) {
        throw UserError("No spectrogram: the trace has " + std::to_string(sample_count) +
                        " samples, fewer than one window of " + std::to_string(layout.window) +
                        " samples (" + Number(layout.WindowSeconds()) + " s).");
    }
    const double overlap = std::clamp(settings.overlap, 0.0, 1.0);
    layout.hop =
        std::max<std::size_t>(1, static_cast<std::size_t>(std::round(window * (1 - overlap))));
    layout.fft_size =
        static_cast<std::size_t>(kiss_fftr_next_fast_size_real(static_cast<int>(layout.window)));
    layout.frames = (sample_count - layout.window) / layout.hop + 1;
    return layout;
}

double PowerToDb(double power) {
    return 10 * std::log10(std::max(power, kPowerFloor));
}

std::size_t Spectrogram::MemoryBytes() const {
    std::size_t bytes = 0;
    for (const Level& level : levels_) {
        bytes += level.power.capacity() * sizeof(float);
    }
    return bytes;
}

Spectrogram BuildSpectrogram(const SampleSource& samples, const SpectrogramLayout& layout,
                             const Progress& progress, const SpectrogramBuildOptions& options) {
    Spectrogram spectrogram;
    spectrogram.layout_ = layout;
    const std::size_t bins = layout.Bins();

    Spectrogram::Level finest;
    while ((layout.frames + finest.frames_per_entry - 1) / finest.frames_per_entry * bins >
               options.max_stored_values &&
           finest.frames_per_entry < layout.frames) {
        finest.frames_per_entry *= 2;
    }
    finest.entries = (layout.frames + finest.frames_per_entry - 1) / finest.frames_per_entry;
    finest.power = Allocate<float>(finest.entries * bins);

    BuildState state{samples, layout, progress, finest};
    const unsigned threads = ThreadCount(options.threads, finest.entries);
    std::vector<std::exception_ptr> failures(threads);
    auto run_part = [&](unsigned part) {
        const std::size_t first = finest.entries * part / threads;
        const std::size_t end = finest.entries * (part + 1) / threads;
        try {
            BuildEntries(state, first, end, part == 0);
        } catch (...) {
            failures[part] = std::current_exception();
            state.abandon = true;
        }
    };
    {
        std::vector<std::jthread> helpers;
        for (unsigned part = 1; part < threads; ++part) {
            helpers.emplace_back(run_part, part);
        }
        run_part(0);
    }
    if (progress.StopRequested()) {
        throw Cancelled();
    }
    for (const std::exception_ptr& failure : failures) {
        if (failure) {
            std::rethrow_exception(failure);
        }
    }
    // The samples after the last window are in no window, but a gap there
    // still makes the trace one without a spectrogram.
    const std::size_t covered = (layout.frames - 1) * layout.hop + layout.window;
    if (state.gap ||
        (covered < layout.samples && CountNotFinite(samples, covered, layout.samples) > 0)) {
        const std::size_t bad = CountNotFinite(samples, 0, layout.samples);
        throw UserError("No spectrogram: " + std::to_string(bad) +
                        (bad == 1 ? " sample is" : " samples are") +
                        " not a number (NaN or infinite).");
    }

    spectrogram.limits_ = LimitsOf(finest.power);
    spectrogram.levels_.push_back(std::move(finest));
    while (spectrogram.levels_.back().entries > kTopEntries) {
        spectrogram.levels_.push_back(Coarser(spectrogram.levels_.back(), layout.frames, bins));
    }
    progress.Step(1, 1);
    return spectrogram;
}

namespace {

// Where a column's power comes from: the entries of one level, or windows
// transformed from the samples on demand.
class ColumnSource {
  public:
    ColumnSource(const Spectrogram& spectrogram, const SampleSource& samples)
        : layout_(spectrogram.Layout()), samples_(samples), power_(layout_.Bins()) {}

    // The power of window `frame`, transformed from the samples; the last
    // one asked for is kept, since neighbouring columns often share it.
    const float* Frame(std::size_t frame) {
        if (frame == frame_) {
            return power_.data();
        }
        if (!transform_) {
            transform_ = std::make_unique<FrameTransform>(layout_);
            window_samples_.resize(layout_.window);
        }
        samples_.Read(frame * layout_.hop, window_samples_);
        std::fill(power_.begin(), power_.end(), 0.0f);
        transform_->AddPower(window_samples_.data(), power_.data());
        transform_->Finish(power_.data(), 1);
        frame_ = frame;
        return power_.data();
    }

  private:
    const SpectrogramLayout& layout_;
    const SampleSource& samples_;
    std::unique_ptr<FrameTransform> transform_;
    std::vector<float> window_samples_;
    std::vector<float> power_;
    std::size_t frame_ = std::numeric_limits<std::size_t>::max();
};

// The middle of entry `entry` of a level whose entries hold `group` windows.
double EntryCentre(const SpectrogramLayout& layout, std::size_t group, std::size_t entry) {
    const std::size_t first = entry * group;
    const std::size_t last = std::min(layout.frames, first + group) - 1;
    return (layout.FrameCentre(first) + layout.FrameCentre(last)) / 2;
}

// The first entry whose middle is at or after `position`.
std::size_t FirstEntryFrom(const SpectrogramLayout& layout, std::size_t group, std::size_t entries,
                           double position) {
    std::size_t low = 0;
    std::size_t high = entries;
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        if (EntryCentre(layout, group, middle) < position) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return low;
}

// The entry whose middle is nearest `position`.
std::size_t NearestEntry(const SpectrogramLayout& layout, std::size_t group, std::size_t entries,
                         double position) {
    const std::size_t after = FirstEntryFrom(layout, group, entries, position);
    if (after == 0) {
        return 0;
    }
    if (after == entries) {
        return entries - 1;
    }
    const double to_after = EntryCentre(layout, group, after) - position;
    const double to_before = position - EntryCentre(layout, group, after - 1);
    return to_before <= to_after ? after - 1 : after;
}

// PowerToDb in single precision, fast enough for every bin of every column.
float FastDb(float power) {
    constexpr float kDbPerOctave = 3.0103f;  // 10 * log10(2)
    constexpr auto kFloor = static_cast<float>(kPowerFloor);
    return kDbPerOctave * std::log2(std::max(power, kFloor));
}

// Which bins each row shows: row r covers frequencies from bins lo to hi.
struct RowBins {
    std::size_t lo;
    std::size_t hi;
};

std::vector<RowBins> BinsOfRows(std::size_t bins, std::size_t rows) {
    std::vector<RowBins> result(rows);
    const double top_bin = static_cast<double>(bins - 1);
    for (std::size_t r = 0; r < rows; ++r) {
        const double rows_d = static_cast<double>(rows);
        const double from = top_bin * (rows_d - static_cast<double>(r) - 1) / rows_d;
        const double to = top_bin * (rows_d - static_cast<double>(r)) / rows_d;
        auto lo = static_cast<std::size_t>(std::ceil(from));
        auto hi = r == 0 ? bins - 1 : static_cast<std::size_t>(std::ceil(to)) - 1;
        if (lo > hi || hi >= bins) {
            // The row is narrower than a bin: the bin whose middle is nearest.
            lo = std::min(bins - 1, static_cast<std::size_t>(std::lround((from + to) / 2)));
            hi = lo;
        }
        result[r] = {lo, hi};
    }
    return result;
}

}  // namespace

SpectrogramPicture ComputeSpectrogramPicture(const Spectrogram& spectrogram,
                                             const SampleSource& samples,
                                             const trace::TraceView& view, std::size_t width,
                                             std::size_t rows) {
    SpectrogramPicture picture;
    picture.width = width;
    picture.rows = rows;
    picture.db.assign(width * rows, std::numeric_limits<float>::quiet_NaN());
    if (width == 0 || rows == 0 || spectrogram.Levels().empty() || !(view.span > 0)) {
        return picture;
    }
    const SpectrogramLayout& layout = spectrogram.Layout();
    const std::size_t bins = layout.Bins();
    const double column_span = view.span / static_cast<double>(width);
    const double frames_per_column = column_span / static_cast<double>(layout.hop);

    // The coarsest level that still gives each column an entry of its own;
    // none when even the finest holds several windows per column.
    const std::vector<Spectrogram::Level>& levels = spectrogram.Levels();
    const Spectrogram::Level* level = nullptr;
    for (const Spectrogram::Level& candidate : levels) {
        if (static_cast<double>(candidate.frames_per_entry) <= std::max(frames_per_column, 1.0)) {
            level = &candidate;
        }
    }
    ColumnSource on_demand(spectrogram, samples);
    const std::size_t group = level != nullptr ? level->frames_per_entry : 1;
    const std::size_t entries = level != nullptr ? level->entries : layout.frames;
    auto entry_power = [&](std::size_t entry) {
        return level != nullptr ? level->power.data() + entry * bins : on_demand.Frame(entry);
    };

    const std::vector<RowBins> row_bins = BinsOfRows(bins, rows);
    std::vector<float> power(bins);
    std::vector<float> db(bins);
    const double trace_end = static_cast<double>(layout.samples);
    for (std::size_t column = 0; column < width; ++column) {
        const double from = view.first + static_cast<double>(column) * column_span;
        const double to = from + column_span;
        const double middle = (from + to) / 2;
        if (middle < -0.5 || middle >= trace_end - 0.5) {
            continue;  // beyond the trace
        }
        std::size_t first = FirstEntryFrom(layout, group, entries, from);
        std::size_t end = FirstEntryFrom(layout, group, entries, to);
        std::fill(power.begin(), power.end(), 0.0f);
        if (first == end) {
            const float* nearest = entry_power(NearestEntry(layout, group, entries, middle));
            std::copy_n(nearest, bins, power.begin());
        } else {
            // On demand, the window in the column's middle stands for all.
            if (level == nullptr && end - first > kFramesPerColumnOnDemand) {
                first += (end - first) / 2;
                end = first + 1;
            }
            float total_weight = 0;
            for (std::size_t entry = first; entry < end; ++entry) {
                const std::size_t held =
                    std::min(layout.frames, (entry + 1) * group) - entry * group;
                const auto weight = static_cast<float>(held);
                const float* values = entry_power(entry);
                for (std::size_t k = 0; k < bins; ++k) {
                    power[k] += values[k] * weight;
                }
                total_weight += weight;
            }
            for (float& value : power) {
                value /= total_weight;
            }
        }
        for (std::size_t k = 0; k < bins; ++k) {
            db[k] = FastDb(power[k]);
        }
        float* out = picture.db.data() + column * rows;
        for (std::size_t r = 0; r < rows; ++r) {
            out[r] =
                *std::max_element(db.begin() + static_cast<std::ptrdiff_t>(row_bins[r].lo),
                                  db.begin() + static_cast<std::ptrdiff_t>(row_bins[r].hi) + 1);
        }
    }
    return picture;
}

}  // namespace tremorline::dsp
