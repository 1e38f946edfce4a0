// SPDX-License-Identifier: MIT
#include "app/play_keys.h"

#include <QPushButton>
#include <QShortcut>

#include "app/sound_box.h"
#include "app/waveform_window.h"

namespace tremorline::app {
namespace {

void PlayKey(SoundBox& box, WaveformWindow* waveform, bool loop) {
    if (box.IsPlaying()) {
        box.StopPlaying();
        return;
    }
    if (waveform != nullptr && waveform->isVisible() && waveform->Trace()) {
        const std::optional<trace::SampleSpan> span =
            loop ? waveform->Selection() : waveform->SpanToPlay();
        if (span) {
            box.PlaySpan(waveform->Trace(), *span, loop);
        }
        return;
    }
    auto* play = qobject_cast<QPushButton*>(box.ControlWidget(Control::PlaySound));
    if (!loop && play != nullptr && play->isEnabled()) {
        play->click();
    }
}

}  // namespace

void AddPlayKeys(QWidget& window, SoundBox& box, const QPointer<WaveformWindow>& waveform) {
    // The pointer is the window's member and lives as long as it does.
    const QPointer<WaveformWindow>* shown = &waveform;
    auto* play = new QShortcut(QKeySequence(Qt::Key_Space), &window);
    play->setObjectName("playKey");
    QObject::connect(play, &QShortcut::activated, &box,
                     [&box, shown] { PlayKey(box, shown->data(), false); });
    auto* loop = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_Space), &window);
    loop->setObjectName("loopKey");
    QObject::connect(loop, &QShortcut::activated, &box,
                     [&box, shown] { PlayKey(box, shown->data(), true); });
    for (QPushButton* button : window.findChildren<QPushButton*>()) {
        button->setAutoDefault(true);
    }
}

}  // namespace tremorline::app
