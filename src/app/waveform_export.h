// SPDX-License-Identifier: MIT
#pragma once

// What the waveform window exports of a span or of its view: the span's
// sound, the view's picture. Each writes its file whole or not at all and
// throws UserError, with a sentence for the user, when it cannot.

#include <QSize>
#include <cstdint>
#include <filesystem>

#include "plot/trace_plot.h"
#include "trace/envelope.h"
#include "trace/loaded_trace.h"
#include "trace/span.h"

namespace tremorline::app {

// The WAVE file of the samples of `span` alone, levelled on them, at
// `rate`: byte for byte the file of a trace holding just those samples.
void ExportSpanSound(const trace::LoadedTrace& trace, trace::SampleSpan span, std::int32_t rate,
                     const std::filesystem::path& path);

// `view` of `plotted` drawn at `size`, as SVG when the name ends in ".svg"
// (in any letter case), otherwise as PNG.
void ExportViewPicture(const plot::PlotTrace& plotted, const trace::TraceView& view, QSize size,
                       const std::filesystem::path& path);

}  // namespace tremorline::app
