// SPDX-License-Identifier: MIT
#pragma once

namespace tremorline::app {

// Twips (1/1440 inch) to logical pixels, at 15 twips to the pixel.
constexpr int Twips(int twips) {
    return twips / 15;
}

}  // namespace tremorline::app
