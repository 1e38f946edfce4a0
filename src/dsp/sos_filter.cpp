// SPDX-License-Identifier: MIT
#include "dsp/sos_filter.h"

#include <algorithm>
#include <utility>

namespace tremorline::dsp {
namespace {

// Sections run together in one staggered pass: enough independent chains to
// keep the floating-point units busy, few enough to stay in registers.
constexpr std::size_t kGroup = 4;

// Samples per block: small enough to stay in the first-level cache while
// each group of sections passes over it.
constexpr std::size_t kBlock = 2048;

struct Coefficients {
    double b0[kGroup];
    double b1[kGroup];
    double b2[kGroup];
    double a1[kGroup];
    double a2[kGroup];
};

// Runs G sections (G <= kGroup) over n samples at x[0], x[step], ...,
// x[(n - 1) * step], in place. At step t section g filters sample t - g,
// taking as input what section g - 1 gave one step earlier.
template <std::size_t G>
void RunGroup(const Section* sections, SectionState* state, double* x, std::ptrdiff_t n,
              std::ptrdiff_t step) {
    Coefficients c{};
    double z1[kGroup] = {};
    double z2[kGroup] = {};
    double out[kGroup] = {};
    for (std::size_t g = 0; g < G; ++g) {
        c.b0[g] = sections[g].b0;
        c.b1[g] = sections[g].b1;
        c.b2[g] = sections[g].b2;
        c.a1[g] = sections[g].a1;
        c.a2[g] = sections[g].a2;
        z1[g] = state[g][0];
        z2[g] = state[g][1];
    }
    const auto section = [&](std::size_t g, double in) {
        const double y = c.b0[g] * in + z1[g];
        z1[g] = c.b1[g] * in - c.a1[g] * y + z2[g];
        z2[g] = c.b2[g] * in - c.a2[g] * y;
        return y;
    };
    constexpr auto kLag = static_cast<std::ptrdiff_t>(G) - 1;
    // Filling and draining the pipeline: only the sections with a sample.
    const auto partial_step = [&](std::ptrdiff_t t) {
        for (std::size_t g = G; g-- > 0;) {
            const std::ptrdiff_t sample = t - static_cast<std::ptrdiff_t>(g);
            if (sample < 0 || sample >= n) {
                continue;
            }
            const double in = g == 0 ? x[sample * step] : out[g - 1];
            out[g] = section(g, in);
            if (g == G - 1) {
                x[sample * step] = out[g];
            }
        }
    };
    std::ptrdiff_t t = 0;
    for (; t < std::min(kLag, n); ++t) {
        partial_step(t);
    }
    for (; t < n; ++t) {
        double in[kGroup];
        in[0] = x[t * step];
#pragma GCC unroll 4
        for (std::size_t g = 1; g < G; ++g) {
            in[g] = out[g - 1];
        }
#pragma GCC unroll 4
        for (std::size_t g = 0; g < G; ++g) {
            out[g] = section(g, in[g]);
        }
        x[(t - kLag) * step] = out[G - 1];
    }
    for (; t < n + kLag; ++t) {
        partial_step(t);
    }
    for (std::size_t g = 0; g < G; ++g) {
        state[g][0] = z1[g];
        state[g][1] = z2[g];
    }
}

void RunSections(const Section* sections, SectionState* state, std::size_t count, double* x,
                 std::ptrdiff_t n, std::ptrdiff_t step) {
    switch (count) {
        case 1:
            return RunGroup<1>(sections, state, x, n, step);
        case 2:
            return RunGroup<2>(sections, state, x, n, step);
        case 3:
            return RunGroup<3>(sections, state, x, n, step);
        default:
            return RunGroup<4>(sections, state, x, n, step);
    }
}

}  // namespace

SosCascade::SosCascade(std::vector<Section> sections)
    : sections_(std::move(sections)), state_(sections_.size()) {}

void SosCascade::Reset() {
    std::fill(state_.begin(), state_.end(), SectionState{});
}

namespace {

// Runs every section over the samples, in blocks, in the direction given.
void RunCascade(const std::vector<Section>& sections, std::vector<SectionState>& state,
                double* first, std::size_t n, bool backward) {
    for (std::size_t done = 0; done < n;) {
        const std::size_t len = std::min(kBlock, n - done);
        double* start = backward ? first + (n - 1 - done) : first + done;
        const std::ptrdiff_t step = backward ? -1 : 1;
        for (std::size_t s = 0; s < sections.size(); s += kGroup) {
            const std::size_t count = std::min(kGroup, sections.size() - s);
            RunSections(&sections[s], &state[s], count, start, static_cast<std::ptrdiff_t>(len),
                        step);
        }
        done += len;
    }
}

}  // namespace

void SosCascade::Run(std::span<double> block) {
    RunCascade(sections_, state_, block.data(), block.size(), false);
}

void SosCascade::RunBackward(std::span<double> block) {
    RunCascade(sections_, state_, block.data(), block.size(), true);
}

void FilterSamples(std::span<double> samples, const std::vector<Section>& sections,
                   bool zero_phase) {
    std::vector<SectionState> state(sections.size());
    RunCascade(sections, state, samples.data(), samples.size(), false);
    if (zero_phase) {
        std::fill(state.begin(), state.end(), SectionState{});
        RunCascade(sections, state, samples.data(), samples.size(), true);
    }
}

}  // namespace tremorline::dsp
