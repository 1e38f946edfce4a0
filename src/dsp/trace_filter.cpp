// SPDX-License-Identifier: MIT
#include "dsp/trace_filter.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "common/sample_memory.h"
#include "common/user_error.h"

namespace tremorline::dsp {
namespace {

// Reads the source a block at a time, handing each block to `use` with its
// first index; counts the samples that are not finite.
template <typename Use>
std::size_t ForEachBlock(const SampleSource& source, const Progress& progress,
                         std::uint64_t total_work, std::uint64_t work_before, Use use) {
    const std::size_t count = source.Count();
    std::vector<float> block(std::min(count, kStreamBlock));
    std::size_t bad = 0;
    for (std::size_t first = 0; first < count; first += block.size()) {
        const std::span<float> part(block.data(), std::min(block.size(), count - first));
        progress.Step(work_before + first, total_work);
        source.Read(first, part);
        for (const float value : part) {
            bad += std::isfinite(value) ? 0u : 1u;
        }
        use(first, std::span<const float>(part));
    }
    return bad;
}

void RefuseBadSamples(std::size_t bad) {
    if (bad == 0) {
        return;
    }
    throw UserError(
        "cannot filter: " + std::to_string(bad) +
        (bad == 1 ? " sample is not a finite number." : " samples are not finite numbers."));
}

void RefuseEmpty(const SampleSource& source) {
    if (source.Count() == 0) {
        throw UserError("cannot filter: the trace has no samples.");
    }
}

}  // namespace

double CheckedMean(const SampleSource& source, const Progress& progress) {
    RefuseEmpty(source);
    double sum = 0.0;
    const std::size_t bad = ForEachBlock(source, progress, source.Count(), 0,
                                         [&](std::size_t, std::span<const float> part) {
                                             for (const float value : part)
                                                 sum += value;
                                         });
    RefuseBadSamples(bad);
    return sum / static_cast<double>(source.Count());
}

DoubleBuffer FilterTrace(const SampleSource& source, const TraceFilter& filter,
                         const Progress& progress, const BlockDone& finished) {
    RefuseEmpty(source);
    const std::size_t count = source.Count();
    DoubleBuffer buffer(count);
    const std::span<double> samples = buffer.span();
    const std::uint64_t passes = filter.zero_phase ? 3 : 2;
    const std::uint64_t total = passes * count;
    double sum = 0.0;
    const std::size_t bad = ForEachBlock(source, progress, total, 0,
                                         [&](std::size_t first, std::span<const float> part) {
                                             double* out = samples.data() + first;
                                             for (std::size_t i = 0; i < part.size(); ++i) {
                                                 out[i] = part[i];
                                                 sum += part[i];
                                             }
                                         });
    RefuseBadSamples(bad);
    const double mean = sum / static_cast<double>(count);

    SosCascade cascade(filter.sections);
    for (std::size_t first = 0; first < count; first += kStreamBlock) {
        progress.Step(count + first, total);
        const std::span<double> block(samples.data() + first,
                                      std::min(kStreamBlock, count - first));
        for (double& value : block)
            value -= mean;
        cascade.Run(block);
        if (finished && !filter.zero_phase) {
            finished(block);
        }
    }
    if (filter.zero_phase) {
        cascade.Reset();
        for (std::size_t done = 0; done < count; done += kStreamBlock) {
            progress.Step(2 * count + done, total);
            const std::size_t len = std::min(kStreamBlock, count - done);
            const std::span<double> block(samples.data() + (count - done - len), len);
            cascade.RunBackward(block);
            if (finished) {
                finished(block);
            }
        }
    }
    progress.Step(total, total);
    return buffer;
}

void StreamCausal(const SampleSource& source, const TraceFilter& filter, double mean,
                  const std::function<void(std::span<const double>)>& sink,
                  const Progress& progress) {
    RefuseEmpty(source);
    SosCascade cascade(filter.sections);
    std::vector<double> block(std::min(source.Count(), kStreamBlock));
    const std::size_t bad = ForEachBlock(source, progress, source.Count(), 0,
                                         [&](std::size_t, std::span<const float> part) {
                                             const std::span<double> out(block.data(), part.size());
                                             for (std::size_t i = 0; i < part.size(); ++i)
                                                 out[i] = part[i] - mean;
                                             cascade.Run(out);
                                             sink(out);
                                         });
    RefuseBadSamples(bad);
}

std::vector<float> ToSingle(std::span<const double> samples) {
    std::vector<float> out = AllocateSamples<float>(samples.size());
    std::transform(samples.begin(), samples.end(), out.begin(),
                   [](double value) { return static_cast<float>(value); });
    return out;
}

}  // namespace tremorline::dsp
