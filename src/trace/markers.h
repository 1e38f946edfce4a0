// SPDX-License-Identifier: MIT
#pragma once

// The moments the header marks on a trace: its begin and end, the event's
// origin, the first arrival, the picks T0 to T9 and the end of the event,
// each with its label, for the drawing to show as vertical lines.

#include <cstddef>
#include <string>
#include <vector>

#include "sac/sac_header.h"

namespace tremorline::trace {

struct Marker {
    enum class Place { Inside, Before, After };

    std::string name;             // the header field: "B", "E", "O", "A", "T0" ... "T9", "F"
    std::string label;            // the name, then the field's text where it has one: "O", "T0 Pn"
    double seconds = 0;           // after the reference time
    Place place = Place::Inside;  // where it falls against the trace's samples

    friend bool operator==(const Marker&, const Marker&) = default;
};

// The markers of `header` in the order B, E, O, A, T0 to T9, F. A field that
// is undefined (-12345) or not a finite number is left out. A label's text
// (KO, KA, KT0 to KT9, KF) is the header's bytes with trailing blanks cut,
// left out when blank or undefined. A marker more than half a sample before
// the first of `sample_count` samples, or after the last, is Before or After.
// Without a usable DELTA no moment can be placed against the samples, and
// every marker is Inside.
std::vector<Marker> HeaderMarkers(const sac::SacHeader& header, std::size_t sample_count);

}  // namespace tremorline::trace
