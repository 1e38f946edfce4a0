// SPDX-License-Identifier: MIT
#pragma once

// Space and Shift+Space in the main window, so that the keys that play in
// the waveform window play the same from the main window.
//
// Space stops a sound that plays; otherwise it plays what Space in the
// waveform window would (its selection, or from its insertion point or its
// view's left edge) while that window is on show, and the whole sound, as
// Play Sound does, when it is not. Shift+Space loops the waveform window's
// selection. A text being typed (the rate's field) keeps its Space. A push
// button with the focus gives Space up to these keys, since a sound program's
// Space is its play key wherever the focus is (after a click on Play Sound,
// Space stops rather than starts again); it is pressed with Return or Enter
// instead.

#include <QPointer>
#include <QWidget>

namespace tremorline::app {

class SoundBox;
class WaveformWindow;

// Adds the keys to `window`, playing through `box`; `waveform` is the
// waveform window once it has been opened.
void AddPlayKeys(QWidget& window, SoundBox& box, const QPointer<WaveformWindow>& waveform);

}  // namespace tremorline::app
