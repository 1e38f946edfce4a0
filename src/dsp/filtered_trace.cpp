// SPDX-License-Identifier: MIT
#include "dsp/filtered_trace.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "common/user_error.h"
#include "dsp/sos_filter.h"
#include "dsp/trace_filter.h"
#include "sac/sac_writer.h"

namespace tremorline::dsp {
namespace {

// IFTYPE values of files that hold a spectrum or x-y pairs, not a time series.
constexpr std::int32_t kSpectrumRealImaginary = 2;
constexpr std::int32_t kSpectrumAmplitudePhase = 3;
constexpr std::int32_t kXY = 4;

// The samples of a one-pass filter, filtered as they are read. The cascade's
// state belongs to the position reached, so reads are serialised.
class CausalFilteredSource final : public SampleSource {
  public:
    CausalFilteredSource(std::shared_ptr<const SampleSource> source,
                         const std::vector<Section>& sections, double mean)
        : source_(std::move(source)), mean_(mean), cascade_(sections) {}

    std::size_t Count() const override { return source_->Count(); }

    void Read(std::size_t first, std::span<float> out) const override {
        const std::size_t count = Count();
        if (first > count || out.size() > count - first) {
            throw UserError("The trace has no samples beyond sample " + std::to_string(count) +
                            ".");
        }
        const std::lock_guard lock(mutex_);
        if (first < next_) {
            cascade_.Reset();
            next_ = 0;
        }
        const std::size_t end = first + out.size();
        while (next_ < end) {
            // Samples before `first` are filtered only to carry the state.
            const std::size_t size = std::min(kStreamBlock, end - next_);
            recorded_.resize(size);
            filtered_.resize(size);
            source_->Read(next_, recorded_);
            for (std::size_t i = 0; i < size; ++i)
                filtered_[i] = recorded_[i] - mean_;
            cascade_.Run(filtered_);
            for (std::size_t i = std::max(next_, first); i < next_ + size; ++i)
                out[i - first] = static_cast<float>(filtered_[i - next_]);
            next_ += size;
        }
    }

  private:
    std::shared_ptr<const SampleSource> source_;
    double mean_;
    mutable std::mutex mutex_;
    mutable SosCascade cascade_;
    mutable std::size_t next_ = 0;  // the first sample the cascade has not seen
    mutable std::vector<float> recorded_;
    mutable std::vector<double> filtered_;
};

}  // namespace

TraceFilter FixFilterForTrace(const trace::LoadedTrace& trace, const FilterRequest& request,
                              std::optional<double> play_rate) {
    const std::int32_t iftype = trace.header.ints[sac::integer::IFTYPE];
    if (trace.header.ints[sac::integer::LEVEN] == 0 || iftype == kSpectrumRealImaginary ||
        iftype == kSpectrumAmplitudePhase || iftype == kXY) {
        throw UserError(
            "cannot filter: the file holds no evenly sampled time series (LEVEN, IFTYPE).");
    }
    return FixFilter(request, static_cast<double>(trace.header.reals[sac::real::DELTA]), play_rate);
}

trace::LoadedTrace FilteredTrace(const trace::LoadedTrace& trace, const TraceFilter& filter,
                                 const Progress& progress) {
    std::vector<float> samples = ToSingle(FilterTrace(*trace.samples, filter, progress).span());
    trace::LoadedTrace filtered = trace;
    // The dependent range describes the samples now held, as the axis says.
    const auto [min, max] = std::minmax_element(samples.begin(), samples.end());
    double sum = 0.0;
    for (const float value : samples)
        sum += value;
    filtered.header.reals[sac::real::DEPMIN] = *min;
    filtered.header.reals[sac::real::DEPMAX] = *max;
    filtered.header.reals[sac::real::DEPMEN] =
        static_cast<float>(sum / static_cast<double>(samples.size()));
    filtered.samples = std::make_shared<MemorySampleSource>(std::move(samples));
    return filtered;
}

trace::LoadedTrace FilteredForReading(const trace::LoadedTrace& trace, const TraceFilter& filter,
                                      const Progress& progress) {
    if (filter.zero_phase) {
        return FilteredTrace(trace, filter, progress);
    }
    const double mean = CheckedMean(*trace.samples, progress);
    trace::LoadedTrace filtered = trace;
    filtered.samples = std::make_shared<CausalFilteredSource>(trace.samples, filter.sections, mean);
    return filtered;
}

}  // namespace tremorline::dsp
