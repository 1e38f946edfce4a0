// SPDX-License-Identifier: MIT
#pragma once

// The one half-to-even rounding and the one checked narrowing of the program.
// Every place where a real number becomes an integer goes through these, so a
// NaN or an out-of-range value is caught before any cast (casting it would be
// undefined behaviour).

#include <cmath>
#include <concepts>
#include <cstdint>
#include <limits>
#include <optional>

namespace tremorline {

// Nearest whole number, an exact half going to the even neighbour
// (2.5 -> 2, 3.5 -> 4, -2.5 -> -2). NaN and infinities come back unchanged.
// This is the floating-point unit's default rounding, which the program never
// changes; nearbyint uses it without raising the inexact exception.
inline double RoundHalfEven(double value) {
    return std::nearbyint(value);
}

// The whole number `value` as type Int, or nothing when it is NaN, infinite,
// fractional or outside Int's range.
template <std::integral Int>
std::optional<Int> NarrowWhole(double value) {
    if (!std::isfinite(value) || value != std::trunc(value)) {
        return std::nullopt;
    }
    // Both limits are exactly representable as doubles for every type up to
    // 32 bits; for 64-bit types the upper bound 2^63 itself is excluded.
    constexpr double lowest = static_cast<double>(std::numeric_limits<Int>::lowest());
    constexpr double upper_exclusive = static_cast<double>(std::numeric_limits<Int>::max()) + 1.0;
    if (value < lowest || value >= upper_exclusive) {
        return std::nullopt;
    }
    return static_cast<Int>(value);
}

// Rounds half to even, then narrows; nothing when the result does not fit.
template <std::integral Int>
std::optional<Int> RoundToInt(double value) {
    return NarrowWhole<Int>(RoundHalfEven(value));
}

// A double rounded to the nearest float; beyond the float range it becomes
// an infinity of its sign (a plain cast would be undefined there).
inline float RoundToSingle(double value) {
    constexpr double largest = std::numeric_limits<float>::max();
    if (std::isfinite(value) && std::abs(value) > largest) {
        constexpr float infinity = std::numeric_limits<float>::infinity();
        return value > 0 ? infinity : -infinity;
    }
    return static_cast<float>(value);
}

}  // namespace tremorline
