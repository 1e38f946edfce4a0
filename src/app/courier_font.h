// SPDX-License-Identifier: MIT
#pragma once

#include <QFont>

namespace tremorline::app {

// Courier New 9.75 pt, or the closest monospace font the system has, so that
// columns of text line up in both the summary and the help viewer.
QFont CourierFont(bool bold);

}  // namespace tremorline::app
