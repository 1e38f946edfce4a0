// SPDX-License-Identifier: MIT
// The text of the rate list, typed by the user, read as a play rate. Any
// text gives a usable rate or a message; a usable rate goes into a WAVE
// header as it is.

#include <string_view>

#include "fuzz_target.h"
#include "harness.h"
#include "sound/play_rate.h"
#include "sound/wave_header.h"

TREMORLINE_FUZZ_TARGET(play_rate) {
    using namespace tremorline;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const sound::PlayRateReading reading = sound::ReadPlayRate(text);
    if (reading.kind != sound::PlayRateKind::Rate) {
        fuzz::Check(reading.rate == 0, "a refused rate carries a value");
        fuzz::Check(!sound::PlayRateProblem(reading, text).empty(), "a refusal says nothing");
        return;
    }
    fuzz::Check(reading.rate >= 1 && reading.rate <= sound::kMaxPlayRate,
                "a usable rate lies outside 1 to the largest rate");
    sound::WaveHeader header;
    sound::BuildWaveHeader(header, 0);
    sound::SetPlayRate(header, reading.rate);
    fuzz::Check(header.ByteRate == 2 * reading.rate, "the byte rate is not twice the rate");
}
