// SPDX-License-Identifier: MIT
#pragma once

// Reading the play rate from the text of the rate list: a decimal number,
// rounded half to even to a whole number of samples per second.

#include <cstdint>
#include <string>
#include <string_view>

namespace tremorline::sound {

enum class PlayRateKind {
    Rate,        // a usable rate, 1 to kMaxPlayRate
    Zero,        // "0": no rate chosen
    Negative,    // rounds below zero
    TooLarge,    // above kMaxPlayRate: its ByteRate would not fit
    NotANumber,  // not a decimal number at all
};

struct PlayRateReading {
    PlayRateKind kind = PlayRateKind::NotANumber;
    std::int32_t rate = 0;  // the rate when kind is Rate, otherwise 0
};

// Surrounding blanks and a leading "+" are allowed; "8000.5" reads as 8000.
PlayRateReading ReadPlayRate(std::string_view text);

// What to tell the user about a text that gives no usable rate (any kind but
// Rate); "Please select a sample rate" for Zero.
std::string PlayRateProblem(const PlayRateReading& reading, std::string_view text);

}  // namespace tremorline::sound
