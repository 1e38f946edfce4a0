// SPDX-License-Identifier: MIT
#pragma once

// Which filter the user asked for, and that filter fixed for one trace.
//
// A filter is asked for by a short text (the batch tool's --filter, the
// window's list): "bandpass:FMIN:FMAX", "highpass:F", "lowpass:F", "none",
// or a preset name. Corner frequencies are in hertz. Whether a corner can be
// used depends on the trace (its Nyquist frequency), so a request is first
// read on its own and then fixed for each trace.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "dsp/butterworth.h"

namespace tremorline::dsp {

enum class FilterKind { None, LowPass, HighPass, BandPass, Audible };

inline constexpr int kDefaultCorners = 4;

struct FilterRequest {
    FilterKind kind = FilterKind::None;
    double low = 0.0;   // Hz; the high-pass or lower band corner
    double high = 0.0;  // Hz; the low-pass or upper band corner
    int corners = kDefaultCorners;
    bool zero_phase = true;
    std::string preset;  // the preset's name when asked for by one

    bool Active() const { return kind != FilterKind::None; }
    friend bool operator==(const FilterRequest&, const FilterRequest&) = default;
};

// The preset filters, in the order the window lists them.
struct FilterPreset {
    std::string_view name;
    FilterKind kind;
    double low;
    double high;
    std::string_view label;  // for the window's list
};
std::span<const FilterPreset> FilterPresets();

// The request a FILTER text stands for, with the default corners and zero
// phase; or, in `problem`, why the text is no filter (an unknown kind or
// preset, a corner that is not a positive number, FMIN >= FMAX), in words
// that follow the text itself.
struct FilterTextReading {
    std::optional<FilterRequest> request;
    std::string problem;
};
FilterTextReading ReadFilterText(std::string_view text);

// The corner counts offered: kMinCorners to kMaxCorners.
bool ValidCorners(int corners);

// A filter fixed for one trace: the band in hertz and its sections.
struct TraceFilter {
    BandKind band = BandKind::BandPass;
    double low = 0.0;
    double high = 0.0;
    int corners = kDefaultCorners;
    bool zero_phase = true;
    std::vector<Section> sections;
    // What was changed to fit the trace, said to the user; usually empty.
    std::string note;

    // "band-pass 1-10 Hz, 4 corners, zero phase", for headings and reports.
    std::string Description() const;
};

// Fixes `request` (an active one) for a trace sampled every `delta` seconds.
// `play_rate` is the sound's rate in samples per second, needed by the
// audible preset. A band whose upper corner is at or above the Nyquist
// frequency becomes a high-pass at its lower corner, with a note. Throws
// UserError when the trace cannot take the filter: DELTA not a positive
// number, a low-pass or lower corner at or above the Nyquist frequency.
TraceFilter FixFilter(const FilterRequest& request, double delta,
                      std::optional<double> play_rate = std::nullopt);

// A request in words before it is fixed for a trace, as TraceFilter's
// Description gives it ("band-pass 1-10 Hz, 4 corners, zero phase"); the
// audible band as "audible band, 4 corners, zero phase"; "none".
std::string RequestDescription(const FilterRequest& request);

// A frequency as short as it reads exactly: "10", "0.01", "0.7".
std::string FrequencyText(double hertz);

}  // namespace tremorline::dsp
