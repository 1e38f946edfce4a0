// SPDX-License-Identifier: MIT
#pragma once

// The text forms in which the program writes numbers. Each form exists once,
// here, and every caller uses it.

#include <cstdint>
#include <string>

namespace tremorline::trace {

// Float text: the float's exact value rounded once to 7 significant digits,
// in general form: plain notation for decimal exponents -4 to 6, otherwise
// mantissa, "E", sign and at least two exponent digits; no trailing zeros, a
// 0 before the point below 1, "-" for negatives.
// 0.01, 100, -12345, 45.5, 0.0001, 1.234568E+07, 1E-05.
// A NaN or infinity, which a damaged header can hold, reads "NaN",
// "Infinity" or "-Infinity".
std::string FloatText(float value);

// Integer text: plain decimal digits, "-" for negatives.
std::string IntegerText(std::int64_t value);

// Signed number form: the digits of the float text, but no 0 before the point
// below 1 (.5, -.25), and a leading space in place of the sign for values that
// are not negative (" 12.25", "-3", " 1.234568E+07").
std::string SignedNumberText(float value);

// Group number of the header listing: a space, then the number (" 75").
std::string GroupNumberText(std::int32_t number);

// NZMSEC / 1000, exactly, with no digit before the point below 1 and no
// trailing zeros: 250 -> ".25", 7 -> ".007", 500 -> ".5", 1500 -> "1.5",
// -250 -> "-.25". Zero has no digits at all and gives "".
std::string MillisecondFractionText(std::int32_t milliseconds);

// Two-digit form: a 0 in front of a single digit (7 -> "07", 12 -> "12").
std::string TwoDigitText(std::int64_t value);

// The seconds of an event time: `seconds` rounded once to one decimal, half
// to even, in its shortest form, with a 0 in front when that is a single
// character: 7 -> "07", 7.3 -> "7.3", 5.25 -> "5.2", 59.96 -> "60".
std::string EventSecondsText(float seconds);

}  // namespace tremorline::trace
