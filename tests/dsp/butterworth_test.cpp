// SPDX-License-Identifier: MIT
// The Butterworth designs and the filtering against SciPy's, on noise, and
// the properties a user checks a filter by: the attenuation at the corners
// and a symmetric zero-phase impulse response. Blocks and pipelines must not
// change a single bit of the result.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "dsp/butterworth.h"
#include "dsp/filter_text.h"
#include "dsp/sos_filter.h"
#include "support/temp_dir.h"

namespace tremorline::dsp {
namespace {

namespace fs = std::filesystem;

std::vector<double> Noise(std::size_t count, unsigned seed) {
    std::mt19937_64 gen(seed);
    std::normal_distribution<double> normal(3.0, 1.0);  // an offset, taken off as the mean
    std::vector<double> out(count);
    for (double& v : out)
        v = normal(gen);
    return out;
}

void RemoveMean(std::vector<double>& samples) {
    double sum = 0.0;
    for (const double v : samples)
        sum += v;
    const double mean = sum / static_cast<double>(samples.size());
    for (double& v : samples)
        v -= mean;
}

double Peak(const std::vector<double>& samples) {
    double peak = 0.0;
    for (const double v : samples)
        peak = std::max(peak, std::abs(v));
    return peak;
}

std::vector<double> ReadDoubles(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<double> out;
    double value = 0.0;
    while (in.read(reinterpret_cast<char*>(&value), sizeof value))
        out.push_back(value);
    return out;
}

struct Case {
    const char* name;
    BandKind kind;
    int corners;
    double low;
    double high;
    double rate;
};

std::string KindName(BandKind kind) {
    switch (kind) {
        case BandKind::LowPass:
            return "lowpass";
        case BandKind::HighPass:
            return "highpass";
        case BandKind::BandPass:
            break;
    }
    return "bandpass";
}

TEST(Butterworth, DesignAndFilteringMatchScipy) {
    const Case cases[] = {
        {"local band", BandKind::BandPass, 4, 1.0, 10.0, 100.0},
        {"surface-wave band", BandKind::BandPass, 4, 0.01, 0.1, 100.0},
        {"narrow band, odd corners", BandKind::BandPass, 3, 0.7, 2.0, 100.0},
        {"band, 1 corner", BandKind::BandPass, 1, 1.0, 10.0, 100.0},
        {"band, 10 corners", BandKind::BandPass, 10, 2.0, 8.0, 40.0},
        {"high-pass", BandKind::HighPass, 4, 1.0, 0.0, 100.0},
        {"high-pass, odd corners", BandKind::HighPass, 5, 0.05, 0.0, 20.0},
        {"low-pass", BandKind::LowPass, 2, 0.0, 5.0, 100.0},
        {"low-pass, odd corners near Nyquist", BandKind::LowPass, 7, 0.0, 45.0, 100.0},
        {"band up to near Nyquist", BandKind::BandPass, 6, 0.5, 49.0, 100.0},
    };
    if (std::system(
            (std::string(TREMORLINE_SCIPY_PYTHON) + " -c 'import scipy' 2>/dev/null").c_str()) !=
        0) {
        GTEST_SKIP() << TREMORLINE_SCIPY_PYTHON << " has no SciPy to compare with";
    }
    testing::TempDir dir;
    // Ten minutes at 100 samples a second: several periods of the slowest band.
    std::vector<double> noise = Noise(60000, 7);
    {
        std::ofstream out(dir / "noise", std::ios::binary);
        out.write(reinterpret_cast<const char*>(noise.data()),
                  static_cast<std::streamsize>(noise.size() * sizeof(double)));
    }
    std::string command = std::string(TREMORLINE_SCIPY_PYTHON) + " " + TREMORLINE_SCIPY_REFERENCE +
                          " '" + (dir / "noise").string() + "' '" + (dir / "ref").string() + "'";
    for (const Case& c : cases) {
        command += " " + KindName(c.kind) + ":" + std::to_string(c.corners) + ":" +
                   FrequencyText(c.low) + ":" + FrequencyText(c.high) + ":" + FrequencyText(c.rate);
    }
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    RemoveMean(noise);

    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.name);
        const std::vector<double> ref = ReadDoubles(dir / ("ref." + std::to_string(i)));
        ASSERT_FALSE(ref.empty());
        const auto count = static_cast<std::size_t>(ref[0]);
        const double nyquist = c.rate / 2.0;
        const std::vector<Section> sections =
            DesignButterworth(c.corners, c.kind, c.low / nyquist, c.high / nyquist);
        ASSERT_EQ(sections.size(), count);
        ASSERT_EQ(ref.size(), 1 + 6 * count + 2 * noise.size());
        for (std::size_t s = 0; s < count; ++s) {
            const double* row = &ref[1 + 6 * s];
            const double ours[6] = {sections[s].b0, sections[s].b1, sections[s].b2, 1.0,
                                    sections[s].a1, sections[s].a2};
            const double b_scale = std::max({std::abs(row[0]), std::abs(row[1]), std::abs(row[2])});
            for (std::size_t k = 0; k < 6; ++k) {
                const double scale = k < 3 ? b_scale : 1.0;
                EXPECT_NEAR(ours[k], row[k], 1e-12 * scale)
                    << "section " << s << " coefficient " << k;
            }
        }
        for (const bool zero_phase : {false, true}) {
            SCOPED_TRACE(zero_phase ? "zero phase" : "one pass");
            std::vector<double> ours = noise;
            FilterSamples(ours, sections, zero_phase);
            const std::vector<double> theirs(
                ref.begin() +
                    static_cast<std::ptrdiff_t>(1 + 6 * count + (zero_phase ? noise.size() : 0)),
                ref.begin() + static_cast<std::ptrdiff_t>(1 + 6 * count +
                                                          (zero_phase ? 2 : 1) * noise.size()));
            const double tolerance = 1e-9 * Peak(theirs);
            double worst = 0.0;
            for (std::size_t n = 0; n < ours.size(); ++n) {
                worst = std::max(worst, std::abs(ours[n] - theirs[n]));
            }
            EXPECT_LE(worst, tolerance);
        }
    }
}

// The steady amplitude of a sine at `hertz` after filtering, in decibels.
double GainAt(const std::vector<Section>& sections, bool zero_phase, double hertz, double rate) {
    const std::size_t count = 100000;
    std::vector<double> sine(count);
    for (std::size_t n = 0; n < count; ++n) {
        sine[n] = std::sin(2.0 * std::numbers::pi * hertz * static_cast<double>(n) / rate);
    }
    FilterSamples(sine, sections, zero_phase);
    // The middle half, far from the transients at either end.
    double sum = 0.0;
    for (std::size_t n = count / 4; n < 3 * count / 4; ++n)
        sum += sine[n] * sine[n];
    const double rms = std::sqrt(sum / static_cast<double>(count / 2));
    return 20.0 * std::log10(rms * std::sqrt(2.0));
}

TEST(Butterworth, CornersAreHalfPowerOncePerPass) {
    struct Corner {
        const char* name;
        BandKind kind;
        int corners;
        double low, high, probe;
    };
    const Corner corners[] = {
        {"band lower corner", BandKind::BandPass, 4, 1.0, 10.0, 1.0},
        {"band upper corner", BandKind::BandPass, 4, 1.0, 10.0, 10.0},
        {"surface-wave band", BandKind::BandPass, 2, 0.01, 0.1, 0.1},
        {"high-pass", BandKind::HighPass, 3, 1.0, 0.0, 1.0},
        {"low-pass", BandKind::LowPass, 6, 0.0, 5.0, 5.0},
    };
    for (const Corner& c : corners) {
        SCOPED_TRACE(c.name);
        const std::vector<Section> sections =
            DesignButterworth(c.corners, c.kind, c.low / 50.0, c.high / 50.0);
        EXPECT_NEAR(GainAt(sections, false, c.probe, 100.0), -3.0103, 0.01);
        EXPECT_NEAR(GainAt(sections, true, c.probe, 100.0), -6.0206, 0.01);
    }
}

TEST(Butterworth, ZeroPhaseImpulseResponseIsSymmetric) {
    const std::vector<Section> sections = DesignButterworth(4, BandKind::BandPass, 0.02, 0.2);
    std::vector<double> impulse(20001, 0.0);
    const std::size_t centre = impulse.size() / 2;
    impulse[centre] = 1.0;
    FilterSamples(impulse, sections, true);
    const double peak = Peak(impulse);
    EXPECT_EQ(std::max_element(impulse.begin(), impulse.end()) - impulse.begin(),
              static_cast<std::ptrdiff_t>(centre));
    for (std::size_t k = 1; k < centre; ++k) {
        ASSERT_NEAR(impulse[centre + k], impulse[centre - k], 1e-12 * peak) << "lag " << k;
    }
}

// Filtering in blocks of any size, forwards or backwards, with any number of
// sections, gives exactly the plain one-sample-at-a-time recurrence.
TEST(SosCascade, BlocksGiveExactlyThePlainRecurrence) {
    const std::vector<double> noise = Noise(5003, 3);
    for (const int corners : {1, 2, 3, 5, 7, 10}) {
        SCOPED_TRACE(std::to_string(corners) + " corners");
        const std::vector<Section> sections =
            DesignButterworth(corners, BandKind::BandPass, 0.05, 0.4);
        std::vector<double> plain = noise;
        std::vector<SectionState> state(sections.size());
        for (double& x : plain) {
            for (std::size_t s = 0; s < sections.size(); ++s) {
                const Section& f = sections[s];
                const double y = f.b0 * x + state[s][0];
                state[s][0] = f.b1 * x - f.a1 * y + state[s][1];
                state[s][1] = f.b2 * x - f.a2 * y;
                x = y;
            }
        }
        for (const std::size_t block : {std::size_t{1}, std::size_t{2}, std::size_t{3},
                                        std::size_t{1000}, std::size_t{5003}}) {
            SCOPED_TRACE("blocks of " + std::to_string(block));
            std::vector<double> forward = noise;
            SosCascade cascade(sections);
            for (std::size_t first = 0; first < forward.size(); first += block) {
                cascade.Run(std::span<double>(forward).subspan(
                    first, std::min(block, forward.size() - first)));
            }
            ASSERT_EQ(forward, plain);

            std::vector<double> backward(noise.rbegin(), noise.rend());
            cascade.Reset();
            for (std::size_t done = 0; done < backward.size(); done += block) {
                const std::size_t len = std::min(block, backward.size() - done);
                cascade.RunBackward(
                    std::span<double>(backward).subspan(backward.size() - done - len, len));
            }
            ASSERT_EQ(std::vector<double>(backward.rbegin(), backward.rend()), plain);
        }
    }
}

}  // namespace
}  // namespace tremorline::dsp
