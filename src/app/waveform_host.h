// SPDX-License-Identifier: MIT
#pragma once

// What the waveform window asks of the main window: to play a span of the
// trace (once or in a loop) with the Sound Box's rate, to stop, and the
// rate a span's sound is saved at, and where an export's work runs. The
// Sound Box implements it; tests use a fake.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "common/progress.h"

class QWidget;

#include "trace/loaded_trace.h"
#include "trace/span.h"

namespace tremorline::app {

class WaveformHost {
  public:
    virtual ~WaveformHost() = default;
    // Plays `span` of `trace` at the Sound Box's rate, or at the recommended
    // rate when none is chosen, setting the sound up first where needed;
    // with `loop`, again and again until stopped. Reports its own failures.
    virtual void PlaySpan(const std::shared_ptr<const trace::LoadedTrace>& trace,
                          trace::SampleSpan span, bool loop) = 0;
    // Stops the sound and any loop.
    virtual void StopPlaying() = 0;
    virtual bool IsPlaying() const = 0;
    // The rate a span's WAVE file gets: the Sound Box's, or the recommended
    // one. Nothing when neither can be had.
    virtual std::optional<std::int32_t> SoundRate() const = 0;
    // Runs an export's work, which may be long for a long span, off the
    // window's thread with a progress bar and Cancel over `over` (a cancel
    // throws Cancelled here). Without a main window it simply runs.
    virtual void RunExport(QWidget* /*over*/, const std::string& /*title*/,
                           const std::function<void(const Progress&)>& work) {
        work(Progress());
    }
};

}  // namespace tremorline::app
