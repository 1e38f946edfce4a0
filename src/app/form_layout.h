// SPDX-License-Identifier: MIT
#pragma once

// Where Form1's controls stand for a given size of its client area. At the
// window's first and smallest size (5520 x 6315 twips) they stand at their
// fixed places. A larger window gives its extra width to Label1, Text1 and the Sound
// Box, and its extra height to Text1; the Sound Box stays under Text1, at the
// same distance from the bottom edge. The controls inside the Sound Box are
// placed from its left edge and never move.

#include <QRect>
#include <QSize>

namespace tremorline::app {

struct Form1Places {
    QRect Label1;
    QRect Text1;
    QRect Frame1;
};

// The client area's size at first start, which is also the smallest it gets.
QSize Form1ClientSize();

// The places for a client area of `client` (smaller sizes count as the
// form's own size).
Form1Places PlaceForm1Controls(QSize client);

}  // namespace tremorline::app
