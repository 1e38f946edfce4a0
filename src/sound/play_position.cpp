// SPDX-License-Identifier: MIT
#include "sound/play_position.h"

#include <cmath>
#include <cstdio>

#include "common/rounding.h"
#include "sac/sac_header.h"

namespace tremorline::sound {
namespace {

constexpr double kSecondsPerDay = 86400.0;

// m:ss below an hour, h:mm:ss from an hour on; the seconds are cut, not
// rounded, so the clock never shows a second that has not been heard yet.
std::string SoundTimeText(double seconds) {
    const auto whole = static_cast<long long>(std::floor(std::max(0.0, seconds)));
    char text[32];
    if (whole < 3600) {
        std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
    } else {
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60,
                      whole % 60);
    }
    return text;
}

std::string TimeOfDayText(double seconds_after_midnight) {
    double day_seconds = std::fmod(std::floor(seconds_after_midnight), kSecondsPerDay);
    if (day_seconds < 0) {
        day_seconds += kSecondsPerDay;
    }
    const auto whole = static_cast<int>(day_seconds);
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", whole / 3600, whole / 60 % 60, whole % 60);
    return text;
}

}  // namespace

PlayedSound DescribePlayedSound(const trace::TraceInfo& info, std::size_t sample_count,
                                std::int32_t play_rate) {
    PlayedSound sound;
    sound.sample_count = sample_count;
    sound.play_rate = play_rate;
    sound.DELTA = info.DELTA;
    const trace::DateTime& ref = info.RefTime;
    const bool ref_valid = ref.hour >= 0 && ref.hour < 24 && ref.minute >= 0 && ref.minute < 60 &&
                           ref.second >= 0 && ref.second < 61 && info.NZMSEC >= 0 &&
                           info.NZMSEC < 1000 && ref.year != 0;
    // An undefined B leaves the first sample at the reference time.
    const double b = info.B == sac::kUndefined || !std::isfinite(info.B) ? 0.0 : info.B;
    if (ref_valid) {
        sound.first_sample_time =
            ref.hour * 3600.0 + ref.minute * 60.0 + ref.second + info.NZMSEC / 1000.0 + b;
    }
    return sound;
}

std::string SpeedUpText(double factor) {
    if (factor >= 100) {
        char text[32];
        std::snprintf(text, sizeof text, "%.0f", RoundHalfEven(factor));
        return text;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.3g", factor);
    return text;
}

std::string PlayPositionText(const PlayedSound& sound, std::size_t heard) {
    if (sound.play_rate < 1) {
        return {};
    }
    const double rate = sound.play_rate;
    std::string text = SoundTimeText(static_cast<double>(heard) / rate) + " / " +
                       SoundTimeText(static_cast<double>(sound.sample_count) / rate);
    const double delta = sound.DELTA;
    if (!std::isfinite(delta) || delta <= 0) {
        return text;
    }
    const double factor = rate * delta;
    if (std::isfinite(factor)) {
        text += "  \u00D7" + SpeedUpText(factor);
    }
    if (sound.first_sample_time) {
        const double at = *sound.first_sample_time + static_cast<double>(heard) * delta;
        if (std::isfinite(at)) {
            text += "  " + TimeOfDayText(at) + " UTC";
        }
    }
    return text;
}

}  // namespace tremorline::sound
