// SPDX-License-Identifier: MIT
#include "trace/trace_times.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "common/rounding.h"
#include "common/user_error.h"
#include "trace/number_forms.h"

namespace tremorline::trace {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
constexpr std::int64_t kSecondsPerHour = 3600;

// Dates are only valid from the year 100 to the year 9999.
constexpr std::int32_t kFirstYear = 100;
constexpr std::int32_t kLastYear = 9999;

// Days since 1 January 1970 of a Gregorian date (proleptic), for any year.
// Counted in 400-year eras of 146097 days, each starting on 1 March, so that
// the leap day falls at the end of its era-year.
std::int64_t DaysFromCivil(std::int64_t year, std::int32_t month, std::int32_t day) {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t year_of_era = year - era * 400;                        // 0-399
    const std::int64_t month_from_march = month > 2 ? month - 3 : month + 9;  // 0-11
    const std::int64_t day_of_year = (153 * month_from_march + 2) / 5 + day - 1;
    const std::int64_t day_of_era =
        year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
    return era * 146097 + day_of_era - 719468;
}

struct CivilDate {
    std::int64_t year;
    std::int32_t month;
    std::int32_t day;
};

// The inverse of DaysFromCivil.
CivilDate CivilFromDays(std::int64_t days) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t day_of_era = days - era * 146097;  // 0-146096
    const std::int64_t year_of_era =
        (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
    const std::int64_t day_of_year =
        day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
    const std::int64_t month_from_march = (5 * day_of_year + 2) / 153;
    const auto day = static_cast<std::int32_t>(day_of_year - (153 * month_from_march + 2) / 5 + 1);
    const auto month = static_cast<std::int32_t>(month_from_march < 10 ? month_from_march + 3
                                                                       : month_from_march - 9);
    return {year_of_era + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

std::int64_t FloorDivide(std::int64_t value, std::int64_t divisor) {
    std::int64_t quotient = value / divisor;
    return (value % divisor != 0 && (value < 0) != (divisor < 0)) ? quotient - 1 : quotient;
}

// `start` moved by `seconds`, carrying into minutes, hours, days, months and
// years; nothing when the result falls outside the years 100 to 9999. Worked
// in whole days and seconds of the day, so no offset can overflow.
std::optional<DateTime> MoveBySeconds(const DateTime& start, std::int64_t seconds) {
    const std::int64_t offset_days = FloorDivide(seconds, kSecondsPerDay);
    // The remainder taken as `seconds % day` (not seconds - days * day, which
    // overflows for the most negative offset), moved into 0 to a day.
    const std::int64_t remainder = seconds % kSecondsPerDay;
    const std::int64_t second_of_day = start.hour * kSecondsPerHour + start.minute * 60 +
                                       start.second +
                                       (remainder < 0 ? remainder + kSecondsPerDay : remainder);
    const std::int64_t days = DaysFromCivil(start.year, start.month, start.day) + offset_days +
                              second_of_day / kSecondsPerDay;
    if (days < DaysFromCivil(kFirstYear, 1, 1) || days > DaysFromCivil(kLastYear, 12, 31)) {
        return std::nullopt;
    }
    const CivilDate date = CivilFromDays(days);
    const std::int64_t time = second_of_day % kSecondsPerDay;
    return DateTime{static_cast<std::int32_t>(date.year),
                    date.month,
                    date.day,
                    static_cast<std::int32_t>(time / kSecondsPerHour),
                    static_cast<std::int32_t>(time % kSecondsPerHour / 60),
                    static_cast<std::int32_t>(time % 60)};
}

// The year NZYEAR stands for: 100-9999 are years as they stand; 0-99 are
// two-digit years, 0-29 meaning 2000-2029 and 30-99 meaning 1930-1999.
std::int32_t WidenYear(std::int32_t nzyear) {
    if (nzyear >= 100) {
        return nzyear;
    }
    return nzyear < 30 ? 2000 + nzyear : 1900 + nzyear;
}

void RequireInRange(std::int32_t value, std::int32_t low, std::int32_t high, const char* what,
                    const char* field) {
    if (value < low || value > high) {
        throw UserError(std::string("The reference time is not a valid ") + what + " (" + field +
                        " " + IntegerText(value) + ").");
    }
}

// 1 January of the reference year at the reference time of day.
DateTime YearStartTimeOf(const TraceInfo& info) {
    RequireInRange(info.NZYEAR, 0, kLastYear, "date", "NZYEAR");
    RequireInRange(info.NZHOUR, 0, 23, "time of day", "NZHOUR");
    RequireInRange(info.NZMIN, 0, 59, "time of day", "NZMIN");
    RequireInRange(info.NZSEC, 0, 59, "time of day", "NZSEC");
    return DateTime{WidenYear(info.NZYEAR), 1, 1, info.NZHOUR, info.NZMIN, info.NZSEC};
}

// The year start moved on by NZJDAY - 1 days. The day is counted in hours,
// and that count is held in 16 bits, which limits NZJDAY to -1364..1366.
DateTime RefTimeOf(const TraceInfo& info) {
    const std::int64_t hours = (static_cast<std::int64_t>(info.NZJDAY) - 1) * 24;
    if (hours < std::numeric_limits<std::int16_t>::min() ||
        hours > std::numeric_limits<std::int16_t>::max()) {
        throw UserError("The reference day of the year is out of range (NZJDAY " +
                        IntegerText(info.NZJDAY) + ").");
    }
    std::optional<DateTime> ref = MoveBySeconds(info.YearStartTime, hours * kSecondsPerHour);
    if (!ref) {
        throw UserError("The reference time falls outside the years 100 to 9999 (NZYEAR " +
                        IntegerText(info.NZYEAR) + ", NZJDAY " + IntegerText(info.NZJDAY) + ").");
    }
    return *ref;
}

// MM/DD/YYYY hh:mm: ahead of the seconds.
std::string DateAndMinuteText(const DateTime& time) {
    return TwoDigitText(time.month) + "/" + TwoDigitText(time.day) + "/" + IntegerText(time.year) +
           " " + TwoDigitText(time.hour) + ":" + TwoDigitText(time.minute) + ":";
}

// Sets `out` to the part of `fraction` in [0, 1) and returns the whole
// seconds taken from it. A fraction within one second of that range is
// moved by one second in single precision; one further out (NZMSEC beyond
// 0-999) by its floor, in double precision. A fraction that rounds up to 1
// in single precision becomes a whole second.
std::int64_t SplitEventFraction(double fraction, float& out) {
    out = static_cast<float>(fraction);
    double carried = 0.0;
    if (out < 0.0f) {
        out += 1.0f;
        carried = -1.0;
    } else if (out >= 1.0f) {
        out -= 1.0f;
        carried = 1.0;
    }
    if (out < 0.0f || out >= 1.0f) {
        const double rest = fraction - carried;
        const double floor = std::floor(rest);
        out = static_cast<float>(rest - floor);
        carried += floor;
    }
    if (out == 1.0f) {
        out = 0.0f;
        carried += 1.0;
    }
    // NZMSEC / 1000 is at most about 2.2 million, so this always fits.
    return NarrowWhole<std::int64_t>(carried).value_or(0);
}

// a + b, or nothing when the sum does not fit 64 bits.
std::optional<std::int64_t> AddWithoutOverflow(std::int64_t a, std::int64_t b) {
    if ((b > 0 && a > std::numeric_limits<std::int64_t>::max() - b) ||
        (b < 0 && a < std::numeric_limits<std::int64_t>::min() - b)) {
        return std::nullopt;
    }
    return a + b;
}

void ComputeEventTime(TraceInfo& info) {
    std::optional<std::int64_t> whole = RoundToInt<std::int64_t>(info.O);
    if (!whole) {
        throw UserError("The event offset is not a usable number of seconds (O " +
                        FloatText(info.O) + ").");
    }
    const double fraction = (static_cast<double>(info.O) - static_cast<double>(*whole)) +
                            static_cast<double>(info.NZMSEC) / 1000.0;
    const std::int64_t carried = SplitEventFraction(fraction, info.EventFraction);
    std::optional<std::int64_t> whole_seconds = AddWithoutOverflow(*whole, carried);
    if (whole_seconds) {
        info.EventWholeSeconds = *whole_seconds;
    }
    std::optional<DateTime> event =
        whole_seconds ? MoveBySeconds(info.RefTime, *whole_seconds) : std::nullopt;
    if (!event) {
        throw UserError("The event time falls outside the years 100 to 9999 (O " +
                        FloatText(info.O) + ").");
    }
    info.EventTime = *event;
}

}  // namespace

DateTime AddSeconds(const DateTime& start, std::int64_t seconds) {
    std::optional<DateTime> moved = MoveBySeconds(start, seconds);
    if (!moved) {
        throw UserError("The time " + DateAndMinuteText(start) + TwoDigitText(start.second) +
                        " moved by " + std::to_string(seconds) +
                        " seconds falls outside the years 100 to 9999.");
    }
    return *moved;
}

std::int64_t SecondsBetween(const DateTime& from, const DateTime& to) {
    const auto second_of_day = [](const DateTime& time) {
        return time.hour * kSecondsPerHour + time.minute * 60 + time.second;
    };
    const std::int64_t days =
        DaysFromCivil(to.year, to.month, to.day) - DaysFromCivil(from.year, from.month, from.day);
    return days * kSecondsPerDay + second_of_day(to) - second_of_day(from);
}

bool IsValidDateTime(const DateTime& time) {
    if (time.year < kFirstYear || time.year > kLastYear || time.month < 1 || time.month > 12 ||
        time.day < 1 || time.day > 31 || time.hour < 0 || time.hour > 23 || time.minute < 0 ||
        time.minute > 59 || time.second < 0 || time.second > 59) {
        return false;
    }
    // A day past its month's end comes back from the round trip as another date.
    const CivilDate date = CivilFromDays(DaysFromCivil(time.year, time.month, time.day));
    return date.month == time.month && date.day == time.day;
}

std::string TraceInfo::RefTimeText() const {
    return DateAndMinuteText(RefTime) + TwoDigitText(RefTime.second);
}

std::string TraceInfo::EventTimeText() const {
    const float seconds = static_cast<float>(EventTime.second) + EventFraction;
    return DateAndMinuteText(EventTime) + EventSecondsText(seconds);
}

void CopyTraceInfo(const sac::SacHeader& header, TraceInfo& info) {
    const auto& r = header.reals;
    const auto& n = header.ints;
    info.DELTA = r[sac::real::DELTA];
    info.SCALE = r[sac::real::SCALE];
    info.B = r[sac::real::B];
    info.E = r[sac::real::E];
    info.O = r[sac::real::O];
    info.MAG = r[sac::real::MAG];
    info.CMPAZ = r[sac::real::CMPAZ];
    info.CMPINC = r[sac::real::CMPINC];
    info.NZYEAR = n[sac::integer::NZYEAR];
    info.NZJDAY = n[sac::integer::NZJDAY];
    info.NZHOUR = n[sac::integer::NZHOUR];
    info.NZMIN = n[sac::integer::NZMIN];
    info.NZSEC = n[sac::integer::NZSEC];
    info.NZMSEC = n[sac::integer::NZMSEC];
    info.NPTS = n[sac::integer::NPTS];
    info.IDEP = n[sac::integer::IDEP];
    info.KCMPNM = header.Text(sac::text::KCMPNM);
    info.KNETWK = header.Text(sac::text::KNETWK);
    info.KSTNM = header.Text(sac::text::KSTNM);
    info.STLA = r[sac::real::STLA];
    info.STLO = r[sac::real::STLO];
    info.STEL = r[sac::real::STEL];
    info.EVLA = r[sac::real::EVLA];
    info.EVLO = r[sac::real::EVLO];
    info.EVDP = r[sac::real::EVDP];
}

void ComputeTraceTimes(TraceInfo& info) {
    info.NoEventTime = false;
    info.YearStartTime = YearStartTimeOf(info);
    info.RefTime = RefTimeOf(info);
    if (info.O == sac::kUndefined) {
        info.NoEventTime = true;
        return;
    }
    ComputeEventTime(info);
}

}  // namespace tremorline::trace
