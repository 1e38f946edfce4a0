// SPDX-License-Identifier: MIT
#pragma once

// What the waveform and the spectrogram panel share when they are drawn: the
// text size, the colours they have in common, and turning coordinates and
// texts into Qt's. For the drawing code in src/plot only.

#include <algorithm>
#include <cmath>
#include <string>

#include <QColor>
#include <QFont>
#include <QString>

namespace tremorline::plot {

inline constexpr int kFontPixels = 12;
inline constexpr int kTextHeight = 16;

inline const QColor kBackground(255, 255, 255);
inline const QColor kAxisColour(70, 70, 70);
// The play cursor, in the waveform and across the spectrogram alike.
inline const QColor kCursorColour(235, 120, 0);

// The font of every label and heading.
inline QFont PlotFont() {
    QFont font;
    font.setPixelSize(kFontPixels);
    return font;
}

inline QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A coordinate as a whole pixel; far-off values are held at a distance that
// still clips away instead of overflowing.
inline int Pixel(double coordinate) {
    constexpr double kFar = 1e7;
    if (!(coordinate > -kFar)) {
        return -static_cast<int>(kFar);
    }
    return static_cast<int>(std::floor(std::min(coordinate, kFar)));
}

}  // namespace tremorline::plot
