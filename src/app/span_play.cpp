// SPDX-License-Identifier: MIT
#include "app/span_play.h"

#include <memory>
#include <span>
#include <vector>

#include "app/filter_commands.h"
#include "common/user_error.h"
#include "sound/make_sound.h"
#include "sound/play_rate.h"
#include "sound/wave_header.h"
#include "sound/wave_image.h"

namespace tremorline::app {

std::optional<std::int32_t> SoundBoxRate(const WindowOps& window, float delta) {
    const sound::PlayRateReading reading = sound::ReadPlayRate(window.Combo1Text());
    if (reading.kind == sound::PlayRateKind::Rate) {
        return reading.rate;
    }
    return sound::RecommendedPlayRate(delta);
}

bool SoundIsOf(const AppState& state, const trace::LoadedTrace& trace) {
    const sound::SoundState& sound = state.SoundState;
    const trace::TraceInfo& built = sound.TraceInfo;
    return !sound.WaveData.empty() && trace.samples &&
           sound.WaveData.size() == trace.samples->Count() && sound.TraceFileTitle == trace.title &&
           built.NPTS == trace.info.NPTS && built.B == trace.info.B &&
           built.DELTA == trace.info.DELTA && built.RefTime == trace.info.RefTime &&
           built.NZMSEC == trace.info.NZMSEC;
}

sound::PlayedSound PlaySpan(AppState& state, WindowOps& window, SoundPlayer& player,
                            const std::shared_ptr<const trace::LoadedTrace>& held,
                            trace::SampleSpan span) {
    const trace::LoadedTrace& trace = *held;
    const std::optional<std::int32_t> rate = SoundBoxRate(window, trace.info.DELTA);
    if (!rate) {
        throw UserError(
            "No playback rate can be worked out for this trace. Choose a rate in "
            "the Sound Box first.");
    }
    const AppliedFilter applied = ApplyingFilter(state.filter, rate);
    if (!SoundIsOf(state, trace) || state.sound_filter != applied) {
        // Filters (once for the trace and filter), reads and scales every
        // sample: long for a long trace.
        MakeSoundOf(state, window, FilteredFor(state, window, held, applied), applied);
        state.SoundState.TraceFileTitle = trace.title;
        state.SoundState.TraceInfo = trace.info;
        state.sound_trace = held;
        window.SetEnabled(Control::PlaySound, true);
    }
    const std::vector<std::int16_t>& audio = state.SoundState.WaveData;
    if (span.count == 0 || span.first > audio.size() || span.count > audio.size() - span.first) {
        throw UserError("The span lies outside the trace's sound.");
    }
    sound::WaveHeader header = state.SoundState.WaveHeader;
    sound::BuildWaveHeader(header, static_cast<std::int32_t>(span.count));
    sound::SetPlayRate(header, *rate);
    auto image = std::make_shared<const std::vector<unsigned char>>(sound::BuildPlayBuffer(
        header, std::span<const std::int16_t>(audio).subspan(span.first, span.count)));
    state.SoundState.PlayBuffer = image;
    player.Play(image);
    window.SetEnabled(Control::StopSound, player.IsPlaying());
    return sound::DescribePlayedSound(trace::SpanTrace(trace, span).info, span.count, *rate);
}

}  // namespace tremorline::app
