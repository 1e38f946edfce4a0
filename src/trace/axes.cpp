// SPDX-License-Identifier: MIT
#include "trace/axes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "common/rounding.h"
#include "common/user_error.h"
#include "sac/sac_header.h"
#include "trace/number_forms.h"
#include "trace/trace_times.h"

namespace tremorline::trace {
namespace {

constexpr std::int64_t kMillisecondsPerSecond = 1000;

bool Defined(float value) {
    return std::isfinite(value) && value != sac::kUndefined;
}

// `value` with `decimals` digits after the point, trailing zeros and a bare
// point dropped, and never "-0".
std::string FixedText(double value, int decimals) {
    std::array<char, 64> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "%.*f", decimals, value);
    std::string text(buffer.data());
    if (text.find('.') != std::string::npos) {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.') {
            text.pop_back();
        }
    }
    if (text == "-0") {
        text = "0";
    }
    return text;
}

std::int64_t FloorDivide(std::int64_t value, std::int64_t divisor) {
    const std::int64_t quotient = value / divisor;
    return quotient * divisor > value ? quotient - 1 : quotient;
}

}  // namespace

TimeScale TraceTimeScale(float b, float delta) {
    if (!std::isfinite(delta) || !(delta > 0)) {
        return {};
    }
    return {Defined(b) ? static_cast<double>(b) : 0.0, static_cast<double>(delta), true};
}

double NiceTickStep(double span, double max_ticks) {
    if (!std::isfinite(span) || !(span > 0) || !(max_ticks >= 1)) {
        return 1;
    }
    const double rough = span / max_ticks;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (const double multiple : {1.0, 2.0, 5.0}) {
        if (multiple * power >= rough) {
            return multiple * power;
        }
    }
    return 10 * power;
}

std::string TickText(double value, double step) {
    const int decimals =
        step > 0 && std::isfinite(step)
            ? std::clamp(-static_cast<int>(std::floor(std::log10(step) + 1e-9)), 0, 9)
            : 0;
    return FixedText(value, decimals);
}

std::string SpanNumberText(double value) {
    if (!std::isfinite(value)) {
        return "0";
    }
    const double size = std::abs(value);
    const int decimals =
        size > 0 ? std::clamp(2 - static_cast<int>(std::floor(std::log10(size))), 0, 9) : 0;
    return FixedText(value, decimals);
}

std::string SpanText(double visible, double total, bool in_seconds) {
    const std::string_view unit = in_seconds ? " s" : " samples";
    std::string text = SpanNumberText(visible);
    text += unit;
    text += " of ";
    text += SpanNumberText(total);
    text += unit;
    return text;
}

std::optional<std::string> UtcTimeText(const TraceInfo& info, double seconds) {
    return UtcTimeText(info, seconds, 3);
}

std::optional<std::string> UtcTimeText(const TraceInfo& info, double seconds, int decimals) {
    decimals = std::clamp(decimals, 0, 6);
    std::int64_t units_per_second = 1;
    for (int d = 0; d < decimals; ++d) {
        units_per_second *= 10;
    }
    const std::int64_t units_per_millisecond =
        std::max<std::int64_t>(units_per_second / kMillisecondsPerSecond, 1);
    const auto units = RoundToInt<std::int64_t>(seconds * static_cast<double>(units_per_second) +
                                                static_cast<double>(info.NZMSEC) *
                                                    static_cast<double>(units_per_second) / 1000.0);
    // Beyond some 10 000 years the calendar refuses anyway; the bound keeps
    // the sums below far from overflowing.
    constexpr std::int64_t kLimit = std::int64_t{1} << 52;
    if (!units || *units / units_per_millisecond > kLimit ||
        *units / units_per_millisecond < -kLimit) {
        return std::nullopt;
    }
    const std::int64_t whole = FloorDivide(*units, units_per_second);
    const std::int64_t fraction = *units - whole * units_per_second;
    DateTime moment;
    try {
        moment = AddSeconds(info.RefTime, whole);
    } catch (const UserError&) {
        return std::nullopt;
    }
    std::array<char, 64> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "%04d-%02d-%02d %02d:%02d:%02d", moment.year,
                  moment.month, moment.day, moment.hour, moment.minute, moment.second);
    std::string text(buffer.data());
    if (decimals > 0) {
        std::snprintf(buffer.data(), buffer.size(), ".%0*lld", decimals,
                      static_cast<long long>(fraction));
        text += buffer.data();
    }
    return text;
}

std::string AmplitudeUnit(std::int32_t idep) {
    switch (idep) {
        case 6:
            return "nm";
        case 7:
            return "nm/s";
        case 8:
            return "nm/s\u00b2";
        case 50:
            return "volts";
        default:
            return "counts";
    }
}

std::string AmplitudeLabel(std::int32_t idep, float depmin, float depmax) {
    std::string text = AmplitudeUnit(idep);
    if (Defined(depmin)) {
        text += "  DEPMIN " + FloatText(depmin);
    }
    if (Defined(depmax)) {
        text += "  DEPMAX " + FloatText(depmax);
    }
    return text;
}

}  // namespace tremorline::trace
