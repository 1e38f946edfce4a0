// SPDX-License-Identifier: MIT
// A miniSEED file from raw bytes, through everything the program does with
// one: each continuous segment loaded as a trace, summarised, written as a
// PSN file and built into a WAVE image and file, through the same pipeline
// the window and the batch tool use. The program's own refusals (UserError,
// a damaged record among them) are normal outcomes; a crash, a sanitizer
// report, a segment whose samples differ from its header's count, or a file
// left behind, an output named outside its folder, or an input that takes
// more than a second is a finding.

#include <optional>
#include <vector>

#include "common/user_error.h"
#include "fuzz_target.h"
#include "harness.h"
#include "psn/make_psn.h"
#include "psn/psn_file.h"
#include "sound/make_sound.h"
#include "sound/wave_image.h"
#include "trace/header_summary.h"
#include "trace/trace_loader.h"

namespace {

using namespace tremorline;
using fuzz::Check;

template <typename Step>
void Try(Step step) {
    try {
        step();
    } catch (const UserError&) {
        fuzz::CheckScratchEmpty();
    }
}

void MakePsn(const trace::LoadedTrace& trace) {
    const psn::PsnOutcome outcome =
        psn::MakePsnFile(trace, fuzz::ScratchFolder(), [](const std::string&) { return true; });
    Check(outcome.written, "a PSN file into an empty folder was not written");
    fuzz::CheckInScratch(outcome.path);
    const std::vector<unsigned char> written =
        fuzz::TakeScratchFile(outcome.path.filename().string());
    Check(written.size() == psn::PsnFileSize(trace.info.NPTS),
          "the PSN file does not hold the segment's samples");
}

void MakeSound(const trace::LoadedTrace& trace) {
    sound::BuiltSound built = sound::BuildSound(trace, sound::WaveHeader{});
    sound::SetPlayRate(built.header, 8000);
    Check(built.wave_data.size() == static_cast<std::size_t>(trace.info.NPTS),
          "one audio sample per segment sample");
    const std::filesystem::path path =
        sound::SaveSoundFile(fuzz::ScratchFolder(), trace.title, built.header, built.wave_data);
    fuzz::CheckInScratch(path);
    const std::vector<unsigned char> written = fuzz::TakeScratchFile(path.filename().string());
    Check(written == sound::BuildPlayBuffer(built.header, built.wave_data),
          "the saved WAVE file differs from the play image");
}

}  // namespace

TREMORLINE_FUZZ_TARGET(mseed_path) {
    const fuzz::CallTimer timer;
    const fuzz::MemoryFile input(std::span<const std::uint8_t>(data, size));
    Try([&] {
        std::optional<std::vector<trace::LoadedTrace>> traces = trace::LoadTraceFile(input.path());
        if (!traces) {
            return;  // "Unknown data type"
        }
        for (const trace::LoadedTrace& segment : *traces) {
            (void)trace::HeaderSummaryText(trace::SummaryTitle(segment), segment.header,
                                           segment.info, "\n");
            Try([&] { MakePsn(segment); });
            Try([&] { MakeSound(segment); });
        }
    });
}
