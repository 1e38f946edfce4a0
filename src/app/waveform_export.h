// SPDX-License-Identifier: MIT
#pragma once

// What the waveform window exports of a span or of its view: the span's
// sound, its samples as a SAC file, the view's picture. Each writes its file
// whole or not at all and throws UserError, with a sentence for the user,
// when it cannot. The sound and the samples report to a Progress, whose stop
// throws Cancelled and leaves no file.

#include <QSize>
#include <cstdint>
#include <filesystem>
#include <string>

#include "common/progress.h"
#include "plot/trace_plot.h"
#include "trace/envelope.h"
#include "trace/loaded_trace.h"
#include "trace/span.h"

namespace tremorline::app {

// The WAVE file of the samples of `span` alone, levelled on them, at
// `rate`: byte for byte the file of a trace holding just those samples.
void ExportSpanSound(const trace::LoadedTrace& trace, trace::SampleSpan span, std::int32_t rate,
                     const std::filesystem::path& path, const Progress& progress = Progress());

// The samples of `span` of `trace` as a SAC file: B, E and NPTS are the
// span's, DEPMIN, DEPMAX and DEPMEN those of the samples written; the rest of
// the header is kept (a SAC file's own header bytes, in its byte order). A
// filtered trace (FilteredTrace) gives its filtered samples, so a span of a
// filtered drawing is cut from the whole trace filtered, with no filter edge
// of its own. The trace file itself is never replaced.
void ExportSpanSac(const trace::LoadedTrace& trace, trace::SampleSpan span,
                   const std::filesystem::path& path, const Progress& progress = Progress());

// The extension of a SAC file exported from `trace`: the trace file's own
// ".SAC" or ".sac" where it has one, ".sac" otherwise.
std::string SacExtensionFor(const trace::LoadedTrace& trace);

// `view` of `plotted` drawn at `size`, as SVG when the name ends in ".svg"
// (in any letter case), otherwise as PNG.
void ExportViewPicture(const plot::PlotTrace& plotted, const trace::TraceView& view, QSize size,
                       const std::filesystem::path& path);

}  // namespace tremorline::app
