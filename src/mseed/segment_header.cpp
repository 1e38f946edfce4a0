// SPDX-License-Identifier: MIT
#include "mseed/segment_header.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "common/rounding.h"

namespace tremorline::mseed {
namespace {

constexpr Microseconds kPerSecond = 1'000'000;
constexpr Microseconds kPerDay = 86'400 * kPerSecond;

// Slots and indices of the fields a converted segment fills, beside the
// ones the rest of the program already names.
constexpr std::size_t kKhole = 3;
constexpr std::size_t kNvhdr = 6;
constexpr std::size_t kIftype = 15;
constexpr std::size_t kLeven = 35;
constexpr std::int32_t kIftypeTime = 1;  // ITIME: evenly spaced time series
constexpr std::int32_t kHeaderVersion = 6;
constexpr std::int32_t kUndefinedInteger = -12345;

// Floor division, so that times before 1970 fall into the right day.
constexpr Microseconds FloorDiv(Microseconds a, Microseconds b) {
    const Microseconds q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

bool IsLeapYear(std::int64_t year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// Days since 1970-01-01 to a Gregorian date (the usual era-based method:
// whole 400-year eras, then the year and day within the era, counted from
// 1 March so that the leap day comes last).
void CivilFromDays(std::int64_t days, std::int64_t& year, std::int32_t& month, std::int32_t& day) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t doe = days - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<std::int32_t>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<std::int32_t>(mp < 10 ? mp + 3 : mp - 9);
    year = yoe + era * 400 + (month <= 2 ? 1 : 0);
}

void SetText(sac::SacHeader& header, std::size_t slot, std::string_view text) {
    if (text.empty()) {
        return;  // an empty code stays undefined
    }
    sac::TextSlot& out = header.texts.at(slot);
    out.fill(' ');
    std::copy_n(text.begin(), std::min(text.size(), out.size()), out.begin());
}

}  // namespace

CalendarTime ToCalendar(Microseconds time) {
    const Microseconds days = FloorDiv(time, kPerDay);
    const Microseconds of_day = time - days * kPerDay;
    std::int64_t year = 0;
    CalendarTime out;
    CivilFromDays(days, year, out.month, out.day);
    out.year = static_cast<std::int32_t>(year);
    static constexpr std::int32_t kDaysBefore[12] = {0,   31,  59,  90,  120, 151,
                                                     181, 212, 243, 273, 304, 334};
    out.day_of_year =
        kDaysBefore[out.month - 1] + out.day + (out.month > 2 && IsLeapYear(year) ? 1 : 0);
    const Microseconds seconds = of_day / kPerSecond;
    out.hour = static_cast<std::int32_t>(seconds / 3600);
    out.minute = static_cast<std::int32_t>(seconds / 60 % 60);
    out.second = static_cast<std::int32_t>(seconds % 60);
    out.microsecond = static_cast<std::int32_t>(of_day % kPerSecond);
    return out;
}

std::string TimeText(Microseconds time) {
    const CalendarTime t = ToCalendar(time);
    char text[48];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%06d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second, t.microsecond);
    return text;
}

std::string SourceId::Name() const {
    return network + "." + station + "." + location + "." + channel;
}

sac::SacHeader SegmentHeader(const SourceId& source, Microseconds start, double rate,
                             std::int32_t count) {
    sac::SacHeader header;
    header.reals.fill(sac::kUndefined);
    header.ints.fill(kUndefinedInteger);
    for (sac::TextSlot& slot : header.texts) {
        constexpr std::string_view undefined = "-12345  ";
        std::copy(undefined.begin(), undefined.end(), slot.begin());
    }
    // KEVNM is one 16-byte text: "-12345" padded with blanks, so its second
    // slot is all blanks.
    header.texts[sac::text::KEVNM + 1].fill(' ');

    SetText(header, sac::text::KNETWK, source.network);
    SetText(header, sac::text::KSTNM, source.station);
    SetText(header, kKhole, source.location);
    SetText(header, sac::text::KCMPNM, source.channel);

    // The reference time is the start cut to the millisecond (NZMSEC holds
    // no finer); B carries the microseconds that the cut dropped.
    const Microseconds to_millisecond = start - FloorDiv(start, 1000) * 1000;
    const CalendarTime reference = ToCalendar(start - to_millisecond);
    header.ints[sac::integer::NZYEAR] = reference.year;
    header.ints[sac::integer::NZJDAY] = reference.day_of_year;
    header.ints[sac::integer::NZHOUR] = reference.hour;
    header.ints[sac::integer::NZMIN] = reference.minute;
    header.ints[sac::integer::NZSEC] = reference.second;
    header.ints[sac::integer::NZMSEC] = reference.microsecond / 1000;

    // B and E are worked out in double and stored as floats, B first, and E
    // from the stored B: this is what makes E agree to the last bit with the
    // converted files.
    const double interval = 1.0 / rate;
    const float b = static_cast<float>(static_cast<double>(to_millisecond) / 1e6);
    header.reals[sac::real::DELTA] = RoundToSingle(interval);
    header.reals[sac::real::B] = b;
    header.reals[sac::real::E] =
        RoundToSingle(static_cast<double>(b) + static_cast<double>(count - 1) * interval);

    header.ints[sac::integer::NPTS] = count;
    header.ints[kNvhdr] = kHeaderVersion;
    header.ints[kIftype] = kIftypeTime;
    header.ints[kLeven] = 1;
    return header;
}

std::string SegmentFileName(const SourceId& source, Microseconds start) {
    const CalendarTime t = ToCalendar(start);
    char when[32];
    std::snprintf(when, sizeof when, "%04d.%03d.%02d%02d%02d", t.year, t.day_of_year, t.hour,
                  t.minute, t.second);
    return source.Name() + "." + std::string(1, source.quality) + "." + when + ".SAC";
}

}  // namespace tremorline::mseed
