// SPDX-License-Identifier: MIT
#include "dsp/butterworth.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>
#include <numbers>
#include <stdexcept>

namespace tremorline::dsp {
namespace {

using Complex = std::complex<double>;
using Roots = std::vector<Complex>;

// Zeros, poles and gain of a transfer function.
struct Zpk {
    Roots z;
    Roots p;
    double k = 1.0;
};

// The analog prototype: N poles evenly on the left half of the unit circle,
// the middle one of an odd N exactly -1.
Zpk AnalogPrototype(int n) {
    Zpk proto;
    for (int m = -n + 1; m < n; m += 2) {
        const double angle = std::numbers::pi * static_cast<double>(m) / (2.0 * n);
        proto.p.push_back(-std::exp(Complex(0.0, angle)));
    }
    return proto;
}

Complex Product(const Roots& roots, Complex shift, double sign) {
    Complex product = 1.0;
    for (const Complex& r : roots) {
        product *= shift + sign * r;
    }
    return product;
}

std::size_t RelativeDegree(const Zpk& f) {
    return f.p.size() - f.z.size();
}

void LowPassToLowPass(Zpk& f, double wo) {
    const std::size_t degree = RelativeDegree(f);
    for (Complex& r : f.z)
        r *= wo;
    for (Complex& r : f.p)
        r *= wo;
    f.k *= std::pow(wo, static_cast<double>(degree));
}

void LowPassToHighPass(Zpk& f, double wo) {
    const std::size_t degree = RelativeDegree(f);
    const Complex gain = Product(f.z, 0.0, -1.0) / Product(f.p, 0.0, -1.0);
    for (Complex& r : f.z)
        r = wo / r;
    for (Complex& r : f.p)
        r = wo / r;
    f.z.insert(f.z.end(), degree, Complex(0.0));
    f.k *= gain.real();
}

void LowPassToBandPass(Zpk& f, double wo, double bw) {
    const std::size_t degree = RelativeDegree(f);
    const auto split = [&](const Roots& roots) {
        Roots scaled;
        for (const Complex& r : roots)
            scaled.push_back(r * (bw / 2.0));
        Roots out;
        for (const Complex& r : scaled)
            out.push_back(r + std::sqrt(r * r - wo * wo));
        for (const Complex& r : scaled)
            out.push_back(r - std::sqrt(r * r - wo * wo));
        return out;
    };
    f.z = split(f.z);
    f.p = split(f.p);
    f.z.insert(f.z.end(), degree, Complex(0.0));
    f.k *= std::pow(bw, static_cast<double>(degree));
}

// The bilinear transform at a sampling frequency of 2 (corners are fractions
// of Nyquist); zeros at infinity go to z = -1.
void Bilinear(Zpk& f) {
    constexpr double fs2 = 4.0;
    const std::size_t degree = RelativeDegree(f);
    const Complex gain = Product(f.z, fs2, -1.0) / Product(f.p, fs2, -1.0);
    for (Complex& r : f.z)
        r = (fs2 + r) / (fs2 - r);
    for (Complex& r : f.p)
        r = (fs2 + r) / (fs2 - r);
    f.z.insert(f.z.end(), degree, Complex(-1.0));
    f.k *= gain.real();
}

bool IsReal(const Complex& c) {
    return c.imag() == 0.0;
}

// One of each conjugate pair (positive imaginary part, the pair averaged),
// sorted by real part, then the real roots sorted; the order the pairing
// below depends on.
Roots ConjugatePairsThenReals(Roots roots) {
    const double tol = 100.0 * std::numeric_limits<double>::epsilon();
    std::stable_sort(roots.begin(), roots.end(), [](const Complex& a, const Complex& b) {
        if (a.real() != b.real())
            return a.real() < b.real();
        return std::abs(a.imag()) < std::abs(b.imag());
    });
    Roots reals;
    Roots upper;
    Roots lower;
    for (const Complex& r : roots) {
        if (std::abs(r.imag()) <= tol * std::abs(r)) {
            reals.emplace_back(r.real(), 0.0);
        } else if (r.imag() > 0.0) {
            upper.push_back(r);
        } else {
            lower.push_back(r);
        }
    }
    if (upper.size() != lower.size()) {
        throw std::logic_error("unpaired complex root in a filter design");
    }
    // Runs of (nearly) equal real part are ordered by imaginary part.
    const auto by_imag = [](const Complex& a, const Complex& b) {
        return std::abs(a.imag()) < std::abs(b.imag());
    };
    std::size_t start = 0;
    while (start < upper.size()) {
        std::size_t stop = start + 1;
        while (stop < upper.size() &&
               upper[stop].real() - upper[stop - 1].real() <= tol * std::abs(upper[stop - 1])) {
            ++stop;
        }
        const auto from = static_cast<std::ptrdiff_t>(start);
        const auto to = static_cast<std::ptrdiff_t>(stop);
        std::stable_sort(upper.begin() + from, upper.begin() + to, by_imag);
        std::stable_sort(lower.begin() + from, lower.begin() + to, by_imag);
        start = stop;
    }
    Roots out;
    for (std::size_t i = 0; i < upper.size(); ++i) {
        out.push_back((upper[i] + std::conj(lower[i])) / 2.0);
    }
    out.insert(out.end(), reals.begin(), reals.end());
    return out;
}

// The root nearest the unit circle, the first of equals.
std::size_t Worst(const Roots& roots, const std::vector<std::size_t>& among) {
    std::size_t best = among.front();
    double best_distance = std::abs(1.0 - std::abs(roots[best]));
    for (const std::size_t i : among) {
        const double distance = std::abs(1.0 - std::abs(roots[i]));
        if (distance < best_distance) {
            best = i;
            best_distance = distance;
        }
    }
    return best;
}

std::vector<std::size_t> AllIndices(const Roots& roots) {
    std::vector<std::size_t> all(roots.size());
    for (std::size_t i = 0; i < all.size(); ++i)
        all[i] = i;
    return all;
}

enum class Which { Any, Real, NotReal };

// The index of the root of `from` nearest `to` that is of the kind asked.
std::size_t Nearest(const Roots& from, Complex to, Which which) {
    std::vector<std::size_t> order = AllIndices(from);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return std::abs(from[a] - to) < std::abs(from[b] - to);
    });
    for (const std::size_t i : order) {
        if (which == Which::Any || (which == Which::Real) == IsReal(from[i])) {
            return i;
        }
    }
    throw std::logic_error("no root of the kind asked in a filter design");
}

Complex Take(Roots& roots, std::size_t index) {
    const Complex taken = roots[index];
    roots.erase(roots.begin() + static_cast<std::ptrdiff_t>(index));
    return taken;
}

// The section of up to two zeros and two poles, the polynomials' coefficients
// right-aligned as a numerator or denominator of lower order is.
Section SingleSection(const Roots& zeros, const Roots& poles) {
    const auto poly = [](const Roots& roots) {
        std::vector<Complex> c{1.0};
        for (const Complex& r : roots) {
            std::vector<Complex> next(c.size() + 1, 0.0);
            for (std::size_t i = 0; i < c.size(); ++i) {
                next[i] += c[i];
                next[i + 1] += c[i] * -r;
            }
            c = next;
        }
        std::array<double, 3> out{};
        const std::size_t offset = 3 - c.size();
        for (std::size_t i = 0; i < c.size(); ++i)
            out[offset + i] = c[i].real();
        return out;
    };
    const std::array<double, 3> b = poly(zeros);
    const std::array<double, 3> a = poly(poles);
    // Every section has two poles, so its denominator starts with 1.
    return Section{b[0], b[1], b[2], a[1], a[2]};
}

std::vector<Section> PairIntoSections(Zpk f) {
    // As many zeros as poles, and an even count of each.
    while (f.z.size() < f.p.size())
        f.z.emplace_back(0.0);
    while (f.p.size() < f.z.size())
        f.p.emplace_back(0.0);
    const std::size_t count = (f.p.size() + 1) / 2;
    if (f.p.size() % 2 == 1) {
        f.p.emplace_back(0.0);
        f.z.emplace_back(0.0);
    }
    Roots z = ConjugatePairsThenReals(f.z);
    Roots p = ConjugatePairsThenReals(f.p);

    std::vector<Section> sections(count);
    for (std::size_t si = count; si-- > 0;) {
        const Complex p1 = Take(p, Worst(p, AllIndices(p)));
        const auto real_count = std::count_if(p.begin(), p.end(), IsReal);
        const auto real_zero_count = std::count_if(z.begin(), z.end(), IsReal);
        if (IsReal(p1) && real_count == 0) {
            // The last real pole, with the nearest real zero.
            const Complex z1 = Take(z, Nearest(z, p1, Which::Real));
            sections[si] = SingleSection({z1, 0.0}, {p1, 0.0});
        } else if (p.size() + 1 == z.size() && !IsReal(p1) && real_count == 1 &&
                   real_zero_count == 1) {
            // One real pole and one real zero remain for one section: this
            // complex pole must take a complex zero.
            const Complex z1 = Take(z, Nearest(z, p1, Which::NotReal));
            sections[si] = SingleSection({z1, std::conj(z1)}, {p1, std::conj(p1)});
        } else {
            Complex p2 = std::conj(p1);
            if (IsReal(p1)) {
                std::vector<std::size_t> reals;
                for (std::size_t i = 0; i < p.size(); ++i) {
                    if (IsReal(p[i]))
                        reals.push_back(i);
                }
                p2 = Take(p, Worst(p, reals));
            }
            if (z.empty()) {
                sections[si] = SingleSection({}, {p1, p2});
                continue;
            }
            const Complex z1 = Take(z, Nearest(z, p1, Which::Any));
            if (!IsReal(z1)) {
                sections[si] = SingleSection({z1, std::conj(z1)}, {p1, p2});
            } else if (!z.empty()) {
                const Complex z2 = Take(z, Nearest(z, p1, Which::Real));
                sections[si] = SingleSection({z1, z2}, {p1, p2});
            } else {
                sections[si] = SingleSection({z1}, {p1, p2});
            }
        }
    }
    sections.front().b0 *= f.k;
    sections.front().b1 *= f.k;
    sections.front().b2 *= f.k;
    return sections;
}

}  // namespace

std::vector<Section> DesignButterworth(int corners, BandKind kind, double low, double high) {
    if (corners < kMinCorners || corners > kMaxCorners) {
        throw std::invalid_argument("Butterworth order out of range");
    }
    const auto warp = [](double w) { return 4.0 * std::tan(std::numbers::pi * w / 2.0); };
    Zpk f = AnalogPrototype(corners);
    switch (kind) {
        case BandKind::LowPass:
            LowPassToLowPass(f, warp(high));
            break;
        case BandKind::HighPass:
            LowPassToHighPass(f, warp(low));
            break;
        case BandKind::BandPass: {
            const double w0 = warp(low);
            const double w1 = warp(high);
            LowPassToBandPass(f, std::sqrt(w0 * w1), w1 - w0);
            break;
        }
    }
    Bilinear(f);
    return PairIntoSections(std::move(f));
}

}  // namespace tremorline::dsp
