// SPDX-License-Identifier: MIT
#pragma once

// TraceInfo: the header values the program works with, copied at each load,
// and the reference and event times derived from them. Each time is stored
// once, as a DateTime; its texts are worked out from it when asked for.

#include <cstdint>
#include <string>

#include "sac/sac_header.h"

namespace tremorline::trace {

// A Gregorian date with a time of day to the whole second.
struct DateTime {
    std::int32_t year = 0;
    std::int32_t month = 0;
    std::int32_t day = 0;
    std::int32_t hour = 0;
    std::int32_t minute = 0;
    std::int32_t second = 0;

    friend bool operator==(const DateTime&, const DateTime&) = default;
};

struct TraceInfo {
    float DELTA = 0;
    float B = 0;
    float E = 0;
    float O = 0;
    float STLA = 0;
    float STLO = 0;
    float STEL = 0;
    float EVLA = 0;
    float EVLO = 0;
    float EVDP = 0;
    float MAG = 0;
    float CMPAZ = 0;
    float CMPINC = 0;
    std::int32_t NZYEAR = 0;
    std::int32_t NZJDAY = 0;
    std::int32_t NZHOUR = 0;
    std::int32_t NZMIN = 0;
    std::int32_t NZSEC = 0;
    std::int32_t NZMSEC = 0;
    std::int32_t NPTS = 0;
    std::int32_t IDEP = 0;
    std::string KSTNM;        // all 8 bytes, trailing spaces included
    std::string KCMPNM;       // all 8 bytes
    std::string KNETWK;       // all 8 bytes
    float EventFraction = 0;  // 0 <= fraction < 1
    // Whole seconds from RefTime to EventTime. Wide, so that an event far from
    // the reference time (a day-long trace) is still described.
    std::int64_t EventWholeSeconds = 0;
    DateTime YearStartTime;  // 1 January of the reference year, at the reference time of day
    DateTime RefTime;        // without the milliseconds NZMSEC
    DateTime EventTime;      // without its fraction EventFraction
    bool NoEventTime = false;
    float SCALE = 0;

    // RefTime as MM/DD/YYYY hh:mm:ss (19 characters for a four-digit year).
    std::string RefTimeText() const;
    // EventTime as MM/DD/YYYY hh:mm: and its seconds with EventFraction, to
    // one decimal place (see EventSecondsText).
    std::string EventTimeText() const;
};

}  // namespace tremorline::trace
