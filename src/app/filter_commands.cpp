// SPDX-License-Identifier: MIT
#include "app/filter_commands.h"

#include <utility>

#include "app/command_guard.h"
#include "app/span_play.h"
#include "common/user_error.h"
#include "dsp/filtered_trace.h"
#include "sound/make_sound.h"
#include "sound/play_rate.h"

namespace tremorline::app {
namespace {

bool SoundOfLoadedTrace(const AppState& state) {
    return state.trace && SoundIsOf(state, *state.trace);
}

}  // namespace

AppliedFilter ApplyingFilter(const dsp::FilterRequest& request, std::optional<std::int32_t> rate) {
    AppliedFilter applied{.request = request, .rate = std::nullopt};
    if (request.kind == dsp::FilterKind::Audible && rate) {
        applied.rate = static_cast<double>(*rate);
    }
    return applied;
}

std::optional<std::int32_t> SetUpRate(const WindowOps& window, float delta) {
    if (const auto recommended = sound::RecommendedPlayRate(delta)) {
        return recommended;
    }
    return SoundBoxRate(window, delta);
}

FilteredView FilteredFor(AppState& state, WindowOps& window,
                         const std::shared_ptr<const trace::LoadedTrace>& trace,
                         const AppliedFilter& filter) {
    if (!filter.request.Active()) {
        return {trace, {}, {}};
    }
    const FilteredTraceCache& kept = state.filtered;
    if (kept.filtered && SameTrace(kept.source, trace) && kept.filter == filter) {
        return {kept.filtered, kept.description, kept.note};
    }
    // The samples filtered before go first: only the waveform window's
    // drawing, if any, still holds them while the new ones are made.
    state.filtered = {};
    if (filter.request.kind == dsp::FilterKind::Audible && !filter.rate) {
        throw UserError(
            "The audible band follows the rate the sound plays at. Choose a rate in the Sound "
            "Box first.");
    }
    dsp::TraceFilter fixed;
    std::shared_ptr<const trace::LoadedTrace> filtered;
    try {
        fixed = dsp::FixFilterForTrace(*trace, filter.request, filter.rate);
        window.RunLong("Filtering", [&](const Progress& progress) {
            filtered = std::make_shared<const trace::LoadedTrace>(
                dsp::FilteredTrace(*trace, fixed, progress));
        });
    } catch (const UserError& refused) {
        throw UserError(AsSentence(refused.what()));
    }
    state.filtered = {.source = trace,
                      .filter = filter,
                      .filtered = filtered,
                      .description = fixed.Description(),
                      .note = fixed.note};
    return {filtered, state.filtered.description, fixed.note};
}

std::string FilterStatusText(const FilteredView& view) {
    std::string text = "Filter: " + view.description;
    if (!view.note.empty()) {
        text += ". " + AsSentence(view.note) + ".";
    }
    return text;
}

bool ChooseFilter(AppState& state, WindowOps& window, const dsp::FilterRequest& request) {
    if (request == state.filter) {
        return true;
    }
    return RunCommand(window, [&] {
        std::string status = "Filter: none";
        if (request.Active() && state.trace) {
            const AppliedFilter applied =
                ApplyingFilter(request, SoundBoxRate(window, state.trace->info.DELTA));
            const FilteredView view = FilteredFor(state, window, state.trace, applied);
            status = FilterStatusText(view);
        } else if (request.Active()) {
            state.filtered = {};
            status = "Filter: " + dsp::RequestDescription(request);
        } else {
            state.filtered = {};
        }
        state.filter = request;
        window.ShowStatus(status);
    });
}

void MakeSoundOf(AppState& state, WindowOps& window, const FilteredView& view,
                 const AppliedFilter& applied) {
    sound::BuiltSound built;
    window.RunLong("Setting up the sound", [&](const Progress& progress) {
        built = sound::BuildSound(*view.trace, state.SoundState.WaveHeader, {}, progress);
    });
    state.SoundState.SoundLevels = built.levels;
    state.SoundState.WaveData = std::move(built.wave_data);
    state.SoundState.WaveHeader = built.header;
    state.sound_filter = applied;
}

void RenewFilteredSound(AppState& state, WindowOps& window, std::int32_t rate) {
    const AppliedFilter applied = ApplyingFilter(state.filter, rate);
    if (!SoundOfLoadedTrace(state) || state.sound_filter == applied) {
        return;
    }
    const FilteredView view = FilteredFor(state, window, state.trace, applied);
    MakeSoundOf(state, window, view, applied);
    if (!view.note.empty()) {
        window.ShowStatus(FilterStatusText(view));
    }
}

std::string FilteredHeading(const std::string& title, const std::string& description) {
    return description.empty() ? title : title + "  (" + description + ")";
}

}  // namespace tremorline::app
