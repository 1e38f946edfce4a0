// SPDX-License-Identifier: MIT
#include "trace/number_forms.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "common/rounding.h"

namespace tremorline::trace {
namespace {

constexpr int kSignificantDigits = 7;

// `prefix` followed by `text`, built by appending: GCC 12 at -O3 warns
// (-Wrestrict) on `"literal" + std::string&&`, wrongly.
std::string Prefixed(std::string_view prefix, std::string_view text) {
    std::string joined;
    joined.reserve(prefix.size() + text.size());
    joined += prefix;
    joined += text;
    return joined;
}

// Text for the values that have no digits.
std::optional<std::string> NonFiniteText(float value) {
    if (std::isnan(value)) {
        return "NaN";
    }
    if (std::isinf(value)) {
        return value < 0 ? "-Infinity" : "Infinity";
    }
    return std::nullopt;
}

// The general form of a finite, non-negative float. std::to_chars rounds the
// float's exact binary value once, ties to even, and switches to exponent
// notation below 1E-04 and from 1E+07 on; it already drops trailing zeros.
std::string GeneralDigits(float magnitude) {
    std::array<char, 32> buffer{};
    auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude,
                                      std::chars_format::general, kSignificantDigits);
    if (error != std::errc{}) {
        return "?";  // cannot happen: 32 characters hold every float in this form
    }
    std::string text(buffer.data(), end);
    for (char& c : text) {
        if (c == 'e') {
            c = 'E';
        }
    }
    return text;
}

// Negative zero is not negative: it is written as 0.
bool IsNegative(float value) {
    return value < 0.0f;
}

}  // namespace

std::string FloatText(float value) {
    if (auto special = NonFiniteText(value)) {
        return *special;
    }
    std::string digits = GeneralDigits(std::fabs(value));
    return IsNegative(value) ? Prefixed("-", digits) : digits;
}

std::string IntegerText(std::int64_t value) {
    return std::to_string(value);
}

std::string SignedNumberText(float value) {
    if (auto special = NonFiniteText(value)) {
        return IsNegative(value) ? *special : Prefixed(" ", *special);
    }
    std::string digits = GeneralDigits(std::fabs(value));
    if (digits.starts_with("0.")) {
        digits.erase(0, 1);
    }
    return Prefixed(IsNegative(value) ? "-" : " ", digits);
}

std::string GroupNumberText(std::int32_t number) {
    return Prefixed(" ", IntegerText(number));
}

std::string MillisecondFractionText(std::int32_t milliseconds) {
    // Worked in integers: NZMSEC / 1000 has at most three decimals, all exact.
    const std::int64_t wide = milliseconds;
    const std::int64_t magnitude = std::llabs(wide);
    const std::int64_t whole = magnitude / 1000;
    std::int64_t thousandths = magnitude % 1000;

    std::string text = wide < 0 ? "-" : "";
    if (whole != 0) {
        text += IntegerText(whole);
    }
    if (thousandths != 0) {
        std::string decimals = IntegerText(1000 + thousandths).substr(1);
        decimals.erase(decimals.find_last_not_of('0') + 1);
        text += '.';
        text += decimals;
    }
    return text;
}

std::string TwoDigitText(std::int64_t value) {
    std::string digits = IntegerText(value);
    return digits.size() == 1 ? Prefixed("0", digits) : digits;
}

std::string EventSecondsText(float seconds) {
    // A float times 10 is exact in a double (24 + 4 bits), so this rounds
    // the float's exact value once.
    std::optional<std::int64_t> tenths =
        RoundToInt<std::int64_t>(static_cast<double>(seconds) * 10.0);
    if (!tenths) {
        return FloatText(seconds);
    }
    const std::int64_t magnitude = std::llabs(*tenths);
    std::string text = Prefixed(*tenths < 0 ? "-" : "", IntegerText(magnitude / 10));
    if (magnitude % 10 != 0) {
        text += '.';
        text += IntegerText(magnitude % 10);
    }
    return text.size() == 1 ? Prefixed("0", text) : text;
}

}  // namespace tremorline::trace
