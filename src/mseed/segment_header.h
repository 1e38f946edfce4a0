// SPDX-License-Identifier: MIT
#pragma once

// What a continuous miniSEED segment looks like once it is a SAC trace: the
// header and the file name that the usual miniSEED-to-SAC conversion gives
// it, so that every output made from the segment matches the output made
// from the converted file.

#include <cstdint>
#include <string>

#include "sac/sac_header.h"

namespace tremorline::mseed {

// A time as libmseed holds it: microseconds since 1970-01-01 00:00:00 UTC.
using Microseconds = std::int64_t;

// A calendar instant to the microsecond, with the day given as day of year.
struct CalendarTime {
    std::int32_t year = 0;
    std::int32_t month = 0;        // 1-12
    std::int32_t day = 0;          // 1-31
    std::int32_t day_of_year = 0;  // 1-366
    std::int32_t hour = 0;
    std::int32_t minute = 0;
    std::int32_t second = 0;
    std::int32_t microsecond = 0;
};

// Breaks a time into its Gregorian calendar parts (times before 1970 too).
CalendarTime ToCalendar(Microseconds time);

// "2010-02-27 06:50:00.069539": a segment's start or end time for lists.
std::string TimeText(Microseconds time);

// The identity of one channel's data: the four SEED codes, as the records
// hold them (trailing blanks removed, possibly empty), and the quality code.
struct SourceId {
    std::string network;
    std::string station;
    std::string location;
    std::string channel;
    char quality = 'D';

    // "IU.COLA.00.LHZ": network, station, location and channel joined by dots.
    std::string Name() const;
};

// The header of the SAC file converted from one segment: the four codes in
// KNETWK, KSTNM, KHOLE and KCMPNM; the reference time NZ* at the segment's
// start, cut to the millisecond, with B the sub-millisecond rest; E, DELTA,
// NPTS; NVHDR 6, LEVEN true, IFTYPE time series. Every other field, and a
// code that is empty, is left undefined. `count` is at least 1 and fits NPTS,
// `rate` is finite and positive (the reader refuses anything else).
sac::SacHeader SegmentHeader(const SourceId& source, Microseconds start, double rate,
                             std::int32_t count);

// The converted file's name, NET.STA.LOC.CHAN.Q.YYYY.DDD.HHMMSS.SAC, from the
// start time cut to the second. Segments whose names coincide are told apart
// by the caller (see ReadMiniSeed).
std::string SegmentFileName(const SourceId& source, Microseconds start);

}  // namespace tremorline::mseed
