// SPDX-License-Identifier: MIT
#include "app/waveform_export.h"

#include <QString>

#include "common/progress_stage.h"
#include "dsp/sac_output.h"
#include "plot/plot_output.h"
#include "sound/make_sound.h"
#include "sound/wave_header.h"
#include "sound/wave_image.h"

namespace tremorline::app {

void ExportSpanSound(const trace::LoadedTrace& trace, trace::SampleSpan span, std::int32_t rate,
                     const std::filesystem::path& path, const Progress& progress) {
    sound::BuiltSound built =
        sound::BuildSound(trace::SpanTrace(trace, span), sound::WaveHeader{}, {}, progress);
    sound::SetPlayRate(built.header, rate);
    sound::WriteWaveFile(path, built.header, built.wave_data, ProgressStage(progress, 0, 0));
}

void ExportSpanSac(const trace::LoadedTrace& trace, trace::SampleSpan span,
                   const std::filesystem::path& path, const Progress& progress) {
    dsp::WriteSacFile(trace::SpanTrace(trace, span), std::nullopt, path, progress);
}

std::string SacExtensionFor(const trace::LoadedTrace& trace) {
    const std::string& title = trace.title;
    if (title.size() >= 4) {
        const std::string ending = title.substr(title.size() - 4);
        if (ending == ".SAC" || ending == ".sac") {
            return ending;
        }
    }
    return ".sac";
}

void ExportViewPicture(const plot::PlotTrace& plotted, const trace::TraceView& view, QSize size,
                       const std::filesystem::path& path) {
    const bool svg = QString::fromStdString(path.extension().string()).toLower() == ".svg";
    plot::WriteTracePlot(path, plotted, svg ? plot::PlotFormat::Svg : plot::PlotFormat::Png, size,
                         view);
}

}  // namespace tremorline::app
