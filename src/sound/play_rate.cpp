// SPDX-License-Identifier: MIT
#include "sound/play_rate.h"

#include <charconv>
#include <cmath>
#include <string>

#include "common/rounding.h"
#include "sound/wave_header.h"
#include "trace/number_forms.h"

namespace tremorline::sound {
namespace {

std::string_view TrimBlanks(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

}  // namespace

PlayRateReading ReadPlayRate(std::string_view text) {
    std::string_view number = TrimBlanks(text);
    if (number.size() > 1 && number.front() == '+' && number[1] != '-') {
        number.remove_prefix(1);
    }
    double value = 0;
    const char* end = number.data() + number.size();
    const auto [stop, error] = std::from_chars(number.data(), end, value);
    if (number.empty() || error != std::errc() || stop != end || !std::isfinite(value)) {
        return {PlayRateKind::NotANumber, 0};
    }
    const double whole = RoundHalfEven(value);
    if (whole == 0) {
        return {PlayRateKind::Zero, 0};
    }
    if (whole < 0) {
        return {PlayRateKind::Negative, 0};
    }
    if (whole > kMaxPlayRate) {
        return {PlayRateKind::TooLarge, 0};
    }
    return {PlayRateKind::Rate, *NarrowWhole<std::int32_t>(whole)};
}

std::string PlayRateProblem(const PlayRateReading& reading, std::string_view text) {
    // Appended piece by piece: GCC 12 at -O3 warns (-Wrestrict) on
    // `"literal" + std::string&&`, wrongly.
    std::string quoted = "\"";
    quoted += TrimBlanks(text);
    quoted += '"';
    switch (reading.kind) {
        case PlayRateKind::Zero:
            return "Please select a sample rate";
        case PlayRateKind::Negative:
            return std::string("The sample rate ") + quoted +
                   " is negative. A sample rate is a positive whole number of samples per "
                   "second, such as 8000.";
        case PlayRateKind::TooLarge:
            return std::string("The sample rate ") + quoted +
                   " is too large: a WAVE file carries at most " +
                   trace::IntegerText(kMaxPlayRate) + " samples per second.";
        case PlayRateKind::NotANumber:
            return quoted +
                   " is not a sample rate: give a whole number of samples per second, such as "
                   "8000.";
        case PlayRateKind::Rate:
            break;
    }
    return {};
}

}  // namespace tremorline::sound
