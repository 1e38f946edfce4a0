// SPDX-License-Identifier: MIT
#include "trace/markers.h"

#include <array>
#include <cmath>
#include <optional>

#include "trace/axes.h"

namespace tremorline::trace {
namespace {

// Real field index of each marker, and the text slot of its label (none for
// B and E).
struct MarkerField {
    const char* name;
    std::size_t real;
    std::optional<std::size_t> label_slot;
};

constexpr std::size_t kKoSlot = 4;
constexpr std::size_t kKaSlot = 5;
constexpr std::size_t kKt0Slot = 6;
constexpr std::size_t kKfSlot = 16;
constexpr std::size_t kARealIndex = 8;
constexpr std::size_t kT0RealIndex = 10;
constexpr std::size_t kFRealIndex = 20;

constexpr std::array<MarkerField, 15> kMarkerFields{{
    {"B", sac::real::B, std::nullopt},
    {"E", sac::real::E, std::nullopt},
    {"O", sac::real::O, kKoSlot},
    {"A", kARealIndex, kKaSlot},
    {"T0", kT0RealIndex + 0, kKt0Slot + 0},
    {"T1", kT0RealIndex + 1, kKt0Slot + 1},
    {"T2", kT0RealIndex + 2, kKt0Slot + 2},
    {"T3", kT0RealIndex + 3, kKt0Slot + 3},
    {"T4", kT0RealIndex + 4, kKt0Slot + 4},
    {"T5", kT0RealIndex + 5, kKt0Slot + 5},
    {"T6", kT0RealIndex + 6, kKt0Slot + 6},
    {"T7", kT0RealIndex + 7, kKt0Slot + 7},
    {"T8", kT0RealIndex + 8, kKt0Slot + 8},
    {"T9", kT0RealIndex + 9, kKt0Slot + 9},
    {"F", kFRealIndex, kKfSlot},
}};

std::string LabelText(const sac::SacHeader& header, std::size_t slot) {
    std::string text = header.Text(slot);
    const std::size_t end = text.find_last_not_of(' ');
    text.erase(end == std::string::npos ? 0 : end + 1);
    return text == "-12345" ? std::string() : text;
}

Marker::Place PlaceOf(double seconds, const TimeScale& scale, std::size_t sample_count) {
    if (!scale.in_seconds) {
        return Marker::Place::Inside;
    }
    const double position = scale.PositionAt(seconds);
    const double last = sample_count > 0 ? static_cast<double>(sample_count - 1) : 0.0;
    if (position < -0.5) {
        return Marker::Place::Before;
    }
    if (position > last + 0.5) {
        return Marker::Place::After;
    }
    return Marker::Place::Inside;
}

}  // namespace

std::vector<Marker> HeaderMarkers(const sac::SacHeader& header, std::size_t sample_count) {
    const TimeScale scale =
        TraceTimeScale(header.reals[sac::real::B], header.reals[sac::real::DELTA]);
    std::vector<Marker> markers;
    for (const MarkerField& field : kMarkerFields) {
        const float value = header.reals[field.real];
        if (!std::isfinite(value) || value == sac::kUndefined) {
            continue;
        }
        Marker marker;
        marker.name = field.name;
        marker.label = field.name;
        if (field.label_slot) {
            const std::string text = LabelText(header, *field.label_slot);
            if (!text.empty()) {
                marker.label += " " + text;
            }
        }
        marker.seconds = value;
        marker.place = PlaceOf(marker.seconds, scale, sample_count);
        markers.push_back(std::move(marker));
    }
    return markers;
}

}  // namespace tremorline::trace
