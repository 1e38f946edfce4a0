// SPDX-License-Identifier: MIT
#pragma once

// Butterworth filters as cascades of second-order sections, designed in
// double precision: the analog prototype's poles, pre-warped corners, the
// low-pass to high-pass or band-pass transform, the bilinear transform, then
// poles and zeros paired into sections with the poles nearest the unit
// circle last. The pairing and order are the usual ones of numerical
// libraries, so a cascade here and one designed elsewhere agree to rounding.
//
// Sections, not one transfer function: at 0.01-0.1 Hz on 100 samples a
// second the polynomial form of an 8-pole band-pass is unstable in double
// precision.

#include <array>
#include <cstddef>
#include <vector>

namespace tremorline::dsp {

enum class BandKind { LowPass, HighPass, BandPass };

// One second-order section: b0 + b1 z^-1 + b2 z^-2 over 1 + a1 z^-1 + a2 z^-2.
struct Section {
    double b0 = 0.0;
    double b1 = 0.0;
    double b2 = 0.0;
    double a1 = 0.0;
    double a2 = 0.0;
};

inline constexpr int kMinCorners = 1;
inline constexpr int kMaxCorners = 10;

// The cascade of a Butterworth filter of `corners` poles per corner
// frequency (a band-pass of 4 corners has 8 poles). Corners are given as
// fractions of the Nyquist frequency, strictly between 0 and 1: `low` alone
// for a high-pass, `high` alone for a low-pass, both for a band-pass (low <
// high). The caller checks the ranges; the gain sits in the first section.
std::vector<Section> DesignButterworth(int corners, BandKind kind, double low, double high);

}  // namespace tremorline::dsp
