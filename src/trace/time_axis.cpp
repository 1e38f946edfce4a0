// SPDX-License-Identifier: MIT
#include "trace/time_axis.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <optional>

#include "common/rounding.h"
#include "common/user_error.h"
#include "trace/trace_times.h"

namespace tremorline::trace {
namespace {

constexpr double kSmallestStep = 1e-6;
constexpr std::int64_t kSecondsPerDay = 86400;
// More ticks than any axis could show: a bound, not a layout choice.
constexpr std::int64_t kMaxTicks = 1000;

// Clock steps of a second and more that divide a day, so that ticks fall on
// the same clock times every day.
constexpr std::array<double, 18> kClockSteps = {
    1, 2, 5, 10, 15, 30, 60, 120, 300, 600, 900, 1800, 3600, 7200, 10800, 21600, 43200, 86400};

std::int64_t FloorDivide(std::int64_t value, std::int64_t divisor) {
    const std::int64_t quotient = value / divisor;
    return quotient * divisor > value ? quotient - 1 : quotient;
}

// Decimals that show every multiple of 1/parts of a second exactly.
int DecimalsFor(std::int64_t parts) {
    int decimals = 0;
    std::int64_t power = 1;
    while (power % parts != 0 && decimals < 9) {
        power *= 10;
        ++decimals;
    }
    return decimals;
}

std::string TimeText(const DateTime& moment, double step, std::int64_t part, std::int64_t parts) {
    std::array<char, 64> buffer{};
    if (step >= 60) {
        std::snprintf(buffer.data(), buffer.size(), "%02d:%02d", moment.hour, moment.minute);
    } else if (parts == 1) {
        std::snprintf(buffer.data(), buffer.size(), "%02d:%02d:%02d", moment.hour, moment.minute,
                      moment.second);
    } else {
        const int decimals = DecimalsFor(parts);
        std::int64_t scale = 1;
        for (int d = 0; d < decimals; ++d) {
            scale *= 10;
        }
        std::snprintf(buffer.data(), buffer.size(), "%02d:%02d:%02d.%0*lld", moment.hour,
                      moment.minute, moment.second, decimals,
                      static_cast<long long>(part * (scale / parts)));
    }
    return buffer.data();
}

std::string DateText(const DateTime& moment) {
    std::array<char, 32> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "%04d-%02d-%02d", moment.year, moment.month,
                  moment.day);
    return buffer.data();
}

}  // namespace

double ClockTickStep(double span, double max_ticks) {
    if (!std::isfinite(span) || !(span > 0) || !(max_ticks >= 1)) {
        return 1;
    }
    const double rough = span / max_ticks;
    if (rough < 1) {
        const double power = std::pow(10.0, std::floor(std::log10(rough)));
        for (const double multiple : {1.0, 2.0, 5.0, 10.0}) {
            if (multiple * power >= rough) {
                return std::max(std::min(multiple * power, 1.0), kSmallestStep);
            }
        }
    }
    for (const double step : kClockSteps) {
        if (step >= rough) {
            return step;
        }
    }
    const double days = rough / static_cast<double>(kSecondsPerDay);
    const double power = std::pow(10.0, std::floor(std::log10(days)));
    for (const double multiple : {1.0, 2.0, 5.0, 10.0}) {
        if (multiple * power >= days) {
            return multiple * power * static_cast<double>(kSecondsPerDay);
        }
    }
    return 10 * power * static_cast<double>(kSecondsPerDay);
}

std::vector<ClockTick> ClockTicks(const TraceInfo& info, double from, double to, double max_ticks) {
    std::vector<ClockTick> ticks;
    if (!std::isfinite(from) || !std::isfinite(to) || !(to > from) ||
        !IsValidDateTime(info.RefTime)) {
        return ticks;
    }
    const double step = ClockTickStep(to - from, max_ticks);
    // Ticks are counted from the reference time's whole second, which is
    // NZMSEC before the reference time itself.
    const double milliseconds = static_cast<double>(info.NZMSEC) / 1000.0;
    const double low = from + milliseconds;
    const double high = to + milliseconds;
    // A step of a second or more: whole seconds, `phase` the offset of the
    // reference second from the last multiple of the step since 1970. A
    // shorter step divides a second into `parts`.
    const std::int64_t whole_step = step >= 1 ? RoundToInt<std::int64_t>(step).value_or(1) : 0;
    const std::int64_t parts = step >= 1 ? 1 : RoundToInt<std::int64_t>(1 / step).value_or(1);
    std::int64_t phase = 0;
    if (whole_step > 0) {
        const std::int64_t epoch = SecondsBetween(DateTime{1970, 1, 1, 0, 0, 0}, info.RefTime);
        phase = epoch - FloorDivide(epoch, whole_step) * whole_step;
    }
    const double unit =
        whole_step > 0 ? static_cast<double>(whole_step) : 1.0 / static_cast<double>(parts);
    const auto first =
        NarrowWhole<std::int64_t>(std::ceil((low + static_cast<double>(phase)) / unit));
    const auto last =
        NarrowWhole<std::int64_t>(std::floor((high + static_cast<double>(phase)) / unit));
    if (!first || !last || *last < *first || *last - *first >= kMaxTicks) {
        return ticks;
    }
    std::string previous_date;
    for (std::int64_t k = *first; k <= *last; ++k) {
        std::int64_t whole = 0;
        std::int64_t part = 0;
        if (whole_step > 0) {
            whole = k * whole_step - phase;
        } else {
            whole = FloorDivide(k, parts);
            part = k - whole * parts;
        }
        DateTime moment;
        try {
            moment = AddSeconds(info.RefTime, whole);
        } catch (const UserError&) {
            return {};
        }
        ClockTick tick;
        tick.seconds = static_cast<double>(whole) +
                       static_cast<double>(part) / static_cast<double>(parts) - milliseconds;
        tick.time = TimeText(moment, step, part, parts);
        const std::string date = DateText(moment);
        if (date != previous_date) {
            tick.date = date;
            previous_date = date;
        }
        ticks.push_back(std::move(tick));
    }
    return ticks;
}

}  // namespace tremorline::trace
