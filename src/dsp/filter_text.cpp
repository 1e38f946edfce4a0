// SPDX-License-Identifier: MIT
#include "dsp/filter_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <system_error>

#include "common/user_error.h"

namespace tremorline::dsp {
namespace {

constexpr std::array kPresets{
    FilterPreset{"audible", FilterKind::Audible, 0.0, 0.0, "Audible band (follows the rate)"},
    FilterPreset{"local", FilterKind::BandPass, 1.0, 10.0, "Local events, 1-10 Hz"},
    FilterPreset{"teleseismic-p", FilterKind::BandPass, 0.7, 2.0, "Teleseismic P, 0.7-2 Hz"},
    FilterPreset{"surface-waves", FilterKind::BandPass, 0.01, 0.1, "Surface waves, 0.01-0.1 Hz"},
    FilterPreset{"microseism-cut", FilterKind::HighPass, 1.0, 0.0, "Microseism cut, above 1 Hz"},
};

// The audible band, 20 Hz to 20 kHz, once the trace is sped up to sound.
constexpr double kLowestAudible = 20.0;
constexpr double kHighestAudible = 20000.0;

constexpr const char* kKinds =
    "bandpass:FMIN:FMAX, highpass:F, lowpass:F, none, or a preset: audible, local, "
    "teleseismic-p, surface-waves, microseism-cut";

std::vector<std::string_view> SplitColons(std::string_view text) {
    std::vector<std::string_view> parts;
    while (true) {
        const std::size_t colon = text.find(':');
        parts.push_back(text.substr(0, colon));
        if (colon == std::string_view::npos) {
            return parts;
        }
        text.remove_prefix(colon + 1);
    }
}

// A corner frequency: a finite number above zero, the whole text.
std::optional<double> ReadFrequency(std::string_view text) {
    double value = 0.0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || !std::isfinite(value) ||
        value <= 0.0) {
        return std::nullopt;
    }
    return value;
}

std::string NotAFrequency(std::string_view text) {
    return "the corner \"" + std::string(text) + "\" is not a positive number of hertz";
}

// Six significant digits: a preset's corners read as given, a computed
// audible band stays short.
std::string ShortFrequencyText(double hertz) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", hertz);
    return text;
}

}  // namespace

std::span<const FilterPreset> FilterPresets() {
    return kPresets;
}

bool ValidCorners(int corners) {
    return corners >= kMinCorners && corners <= kMaxCorners;
}

FilterTextReading ReadFilterText(std::string_view text) {
    const std::vector<std::string_view> parts = SplitColons(text);
    const std::string_view kind = parts.front();
    FilterRequest request;
    const auto expect_parts = [&](std::size_t count, const char* form) -> std::string {
        if (parts.size() != count) {
            return "a " + std::string(kind) + " filter is written " + form;
        }
        return {};
    };
    std::string problem;
    if (kind == "none" && parts.size() == 1) {
        return {request, {}};
    }
    if (kind == "lowpass" || kind == "highpass") {
        problem = expect_parts(2, kind == "lowpass" ? "lowpass:F" : "highpass:F");
        if (problem.empty()) {
            const std::optional<double> corner = ReadFrequency(parts[1]);
            if (!corner) {
                return {std::nullopt, NotAFrequency(parts[1])};
            }
            request.kind = kind == "lowpass" ? FilterKind::LowPass : FilterKind::HighPass;
            (kind == "lowpass" ? request.high : request.low) = *corner;
            return {request, {}};
        }
        return {std::nullopt, problem};
    }
    if (kind == "bandpass") {
        problem = expect_parts(3, "bandpass:FMIN:FMAX");
        if (!problem.empty()) {
            return {std::nullopt, problem};
        }
        const std::optional<double> low = ReadFrequency(parts[1]);
        const std::optional<double> high = ReadFrequency(parts[2]);
        if (!low || !high) {
            return {std::nullopt, NotAFrequency(parts[low ? 2 : 1])};
        }
        if (*low >= *high) {
            return {std::nullopt, "the lower corner " + FrequencyText(*low) +
                                      " Hz is not below the upper corner " + FrequencyText(*high) +
                                      " Hz"};
        }
        request.kind = FilterKind::BandPass;
        request.low = *low;
        request.high = *high;
        return {request, {}};
    }
    if (parts.size() == 1) {
        for (const FilterPreset& preset : kPresets) {
            if (preset.name == kind) {
                request.kind = preset.kind;
                request.low = preset.low;
                request.high = preset.high;
                request.preset = preset.name;
                return {request, {}};
            }
        }
    }
    return {std::nullopt, "unknown filter; give " + std::string(kKinds)};
}

std::string FrequencyText(double hertz) {
    char text[400];
    const auto [end, error] =
        std::to_chars(text, text + sizeof text, hertz, std::chars_format::fixed);
    return error == std::errc() ? std::string(text, end) : std::string("?");
}

std::string TraceFilter::Description() const {
    std::string text;
    switch (band) {
        case BandKind::BandPass:
            text = "band-pass " + ShortFrequencyText(low) + "-" + ShortFrequencyText(high) + " Hz";
            break;
        case BandKind::HighPass:
            text = "high-pass " + ShortFrequencyText(low) + " Hz";
            break;
        case BandKind::LowPass:
            text = "low-pass " + ShortFrequencyText(high) + " Hz";
            break;
    }
    text += ", " + std::to_string(corners) + (corners == 1 ? " corner" : " corners");
    text += zero_phase ? ", zero phase" : ", causal";
    return text;
}

std::string RequestDescription(const FilterRequest& request) {
    TraceFilter described;
    described.low = request.low;
    described.high = request.high;
    described.corners = request.corners;
    described.zero_phase = request.zero_phase;
    switch (request.kind) {
        case FilterKind::None:
            return "none";
        case FilterKind::Audible: {
            // The band itself waits for the play rate.
            described.band = BandKind::HighPass;
            const std::string rest = described.Description();
            return "audible band" + rest.substr(rest.find(','));
        }
        case FilterKind::LowPass:
            described.band = BandKind::LowPass;
            break;
        case FilterKind::HighPass:
            described.band = BandKind::HighPass;
            break;
        case FilterKind::BandPass:
            described.band = BandKind::BandPass;
            break;
    }
    return described.Description();
}

TraceFilter FixFilter(const FilterRequest& request, double delta, std::optional<double> play_rate) {
    if (!std::isfinite(delta) || delta <= 0.0) {
        throw UserError("cannot filter: DELTA (the sampling interval) is not a positive number.");
    }
    if (!ValidCorners(request.corners)) {
        throw UserError("cannot filter with " + std::to_string(request.corners) +
                        " corners: give 1 to 10.");
    }
    const double nyquist = 0.5 / delta;
    const std::string nyquist_text =
        "the Nyquist frequency of this trace, " + ShortFrequencyText(nyquist) + " Hz";
    // DELTA is held in single precision: 0.01 is 0.0099999998, which puts
    // the Nyquist frequency of a 100 Hz trace a hair above 50 Hz. A corner
    // within a millionth of it counts as on it.
    const double usable = nyquist * (1.0 - 1e-6);
    TraceFilter filter;
    filter.corners = request.corners;
    filter.zero_phase = request.zero_phase;
    filter.low = request.low;
    filter.high = request.high;
    switch (request.kind) {
        case FilterKind::None:
            throw UserError("no filter was chosen.");
        case FilterKind::LowPass:
            filter.band = BandKind::LowPass;
            break;
        case FilterKind::HighPass:
            filter.band = BandKind::HighPass;
            break;
        case FilterKind::BandPass:
            filter.band = BandKind::BandPass;
            break;
        case FilterKind::Audible: {
            if (!play_rate || !std::isfinite(*play_rate) || *play_rate <= 0.0) {
                throw UserError("the audible filter needs the rate the sound plays at.");
            }
            const double speed_up = *play_rate * delta;
            filter.band = BandKind::BandPass;
            filter.low = kLowestAudible / speed_up;
            filter.high = std::min(nyquist, kHighestAudible / speed_up);
            break;
        }
    }
    if (filter.band == BandKind::LowPass && filter.high >= usable) {
        throw UserError("cannot filter: the low-pass corner " + ShortFrequencyText(filter.high) +
                        " Hz is not below " + nyquist_text + ".");
    }
    if (filter.band != BandKind::LowPass && filter.low >= usable) {
        throw UserError(std::string("cannot filter: the ") +
                        (filter.band == BandKind::HighPass ? "high-pass" : "lower") + " corner " +
                        ShortFrequencyText(filter.low) + " Hz is not below " + nyquist_text + ".");
    }
    if (filter.band == BandKind::BandPass && filter.high >= usable) {
        filter.note = "the upper corner " + ShortFrequencyText(filter.high) + " Hz is not below " +
                      nyquist_text + ": filtered with a high-pass at " +
                      ShortFrequencyText(filter.low) + " Hz instead";
        filter.band = BandKind::HighPass;
        filter.high = 0.0;
    }
    filter.sections =
        DesignButterworth(filter.corners, filter.band, filter.low / nyquist, filter.high / nyquist);
    return filter;
}

}  // namespace tremorline::dsp
