// SPDX-License-Identifier: MIT
#pragma once

// The filter chosen in the Sound Box, as it reaches the sound and the
// waveform window. The loaded trace itself is never changed: the sound and
// the drawing are made from a filtered copy, kept in AppState so that one
// filtering serves Set Up Sound, Play Sound, Save Sound and the waveform
// window alike. The header summary and Make PSN always use the samples as
// recorded.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "app/app_state.h"
#include "app/window_ops.h"
#include "dsp/filter_text.h"
#include "trace/loaded_trace.h"

namespace tremorline::app {

// `request` as it applies to a sound played at `rate`: only the audible
// band depends on the rate.
AppliedFilter ApplyingFilter(const dsp::FilterRequest& request, std::optional<std::int32_t> rate);

// The rate Set Up Sound works the audible band out for: the recommended
// rate, which the set-up puts into the rate box, or else the box's own.
std::optional<std::int32_t> SetUpRate(const WindowOps& window, float delta);

// A trace as the sound and the drawing see it.
struct FilteredView {
    std::shared_ptr<const trace::LoadedTrace> trace;  // filtered, or the trace itself
    std::string description;  // "band-pass 1-10 Hz, 4 corners, zero phase"; empty for none
    std::string note;         // what was changed to fit the trace, if anything
};

// `trace` seen through `filter`: the trace itself when no filter is chosen;
// otherwise the filtered trace, kept from the last filtering when that was
// of this trace with this filter, or filtered now as a long step. Throws
// UserError, in words for a message box, when the trace cannot take the
// filter (a corner at or above its Nyquist frequency, DELTA not a positive
// number, samples that are not finite); Cancelled when the user cancels.
FilteredView FilteredFor(AppState& state, WindowOps& window,
                         const std::shared_ptr<const trace::LoadedTrace>& trace,
                         const AppliedFilter& filter);

// The status line naming the filter a view was made with, and what was
// changed to fit the trace: "Filter: high-pass 1 Hz, .... The upper corner ...".
std::string FilterStatusText(const FilteredView& view);

// Chooses `request` in the Sound Box: with a trace loaded it is filtered
// first, and a filter the trace cannot take is refused with a message; a
// refused or cancelled choice leaves the filter in use as it was (only the
// kept filtering is dropped, to be made again when needed) and returns
// false. A chosen
// filter is named on the status line, with what was changed to fit the
// trace (a band reaching the Nyquist frequency becomes a high-pass).
bool ChooseFilter(AppState& state, WindowOps& window, const dsp::FilterRequest& request);

// Makes the sound of `view`, a trace seen through `applied`, the sound set
// up, without the set-up's messages: its levels, audio samples and header
// (keeping the header's rate), as a long step. Throws Cancelled when the user
// cancels, changing nothing; UserError when the trace gives no sound.
void MakeSoundOf(AppState& state, WindowOps& window, const FilteredView& view,
                 const AppliedFilter& applied);

// Before a sound of the loaded trace is played or saved at `rate`: when the
// audio samples set up were made with another filter than applies now (the
// choice changed since, or the audible band follows a new rate), they are
// made again through it, without the set-up's messages. Sounds of another
// trace are left as they are. Throws as FilteredFor does.
void RenewFilteredSound(AppState& state, WindowOps& window, std::int32_t rate);

// The heading of a drawing of the trace titled `title` through the filter
// described as `description`: "COLA.LHZ  (band-pass 1-10 Hz, ...)".
std::string FilteredHeading(const std::string& title, const std::string& description);

}  // namespace tremorline::app
