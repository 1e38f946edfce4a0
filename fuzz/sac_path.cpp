// SPDX-License-Identifier: MIT
// A SAC file from raw bytes, through everything the program does with one:
// load, summary, the PSN file, the sound levels, the WAVE image and file,
// each through the same pipeline the window and the batch tool use. The
// program's own refusals (UserError) are normal outcomes; a crash, a
// sanitizer report, an output whose size differs from what its header
// promises, or a file left behind is a finding.

#include <algorithm>
#include <optional>
#include <vector>

#include "common/byte_order.h"
#include "common/control_bytes.h"
#include "common/user_error.h"
#include "fuzz_target.h"
#include "harness.h"
#include "psn/make_psn.h"
#include "psn/psn_file.h"
#include "sound/make_sound.h"
#include "sound/wave_image.h"
#include "trace/header_summary.h"
#include "trace/loaded_trace.h"

namespace {

using namespace tremorline;
using fuzz::Check;

void CheckSummary(const trace::LoadedTrace& trace) {
    const std::string summary =
        trace::HeaderSummaryText(trace.title, trace.header, trace.info, "\n");
    const std::string shown = trace::SummaryForTerminal(summary);
    Check(std::none_of(
              shown.begin(), shown.end(),
              [](char c) { return IsControlByte(c) && c != '\n' && c != '\r' && c != '\t'; }),
          "a control byte reaches the terminal");
}

void MakePsn(const trace::LoadedTrace& trace) {
    const psn::PsnOutcome outcome =
        psn::MakePsnFile(trace, fuzz::ScratchFolder(), [](const std::string&) { return true; });
    Check(outcome.written, "a PSN file into an empty folder was not written");
    const std::string name = outcome.path.filename().string();
    Check(outcome.path.parent_path() == fuzz::ScratchFolder(), "the PSN file went elsewhere");
    Check(std::none_of(name.begin(), name.end(), IsControlByte),
          "a control byte reaches a file name");
    // The file holds what its header's SampleCount promises, and the trace's
    // NPTS samples.
    const std::vector<unsigned char> written = fuzz::TakeScratchFile(name);
    Check(written.size() >= psn::PsnFileSize(0), "the PSN file is shorter than its headers");
    const auto sample_count = static_cast<std::int32_t>(LoadLE32(written.data() + 40));
    Check(written.size() == psn::PsnFileSize(sample_count) &&
              written.size() == psn::PsnFileSize(trace.info.NPTS),
          "the PSN file's size is not what its header promises");
}

void MakeSound(const trace::LoadedTrace& trace) {
    (void)sound::RateAdviceText(trace.info.DELTA);
    sound::BuiltSound built = sound::BuildSound(
        trace, sound::WaveHeader{},
        [](const sound::SoundLevels& levels) { (void)sound::SoundLevelsText(levels); });
    sound::SetPlayRate(built.header, 8000);
    Check(built.wave_data.size() == static_cast<std::size_t>(trace.info.NPTS),
          "one audio sample per trace sample");

    const std::vector<unsigned char> image = sound::BuildPlayBuffer(built.header, built.wave_data);
    Check(image.size() == sound::kWaveHeaderSize + 2 * built.wave_data.size(),
          "the play image's size differs from its samples");
    const auto playable = sound::ReadWaveImage(image);
    Check(playable && playable->rate == 8000 && playable->data_size == 2 * built.wave_data.size(),
          "the play image's header does not describe its audio");

    const std::filesystem::path path =
        sound::SaveSoundFile(fuzz::ScratchFolder(), trace.title, built.header, built.wave_data);
    // The saved file is the play image, and its RIFF and data sizes describe
    // exactly its length.
    const std::vector<unsigned char> written = fuzz::TakeScratchFile(path.filename().string());
    Check(written == image, "the saved WAVE file differs from the play image");
    Check(LoadLE32(written.data() + 4) + 8 == written.size() &&
              LoadLE32(written.data() + 40) + sound::kWaveHeaderSize == written.size(),
          "the WAVE file's size is not what its header promises");
}

// Each output is tried on its own, so that a refusal of one (a PSN header
// value, say) does not keep the other from being exercised.
template <typename Step>
void Try(Step step) {
    try {
        step();
    } catch (const UserError&) {
        fuzz::CheckScratchEmpty();
    }
}

}  // namespace

TREMORLINE_FUZZ_TARGET(sac_path) {
    const fuzz::MemoryFile input(std::span<const std::uint8_t>(data, size));
    Try([&] {
        std::optional<trace::LoadedTrace> trace = trace::LoadSacTrace(input.path());
        if (!trace) {
            return;  // "Unknown data type"
        }
        trace->title = "fuzz.sac";  // the memory file's own name is a number
        CheckSummary(*trace);
        Try([&] { MakePsn(*trace); });
        Try([&] { MakeSound(*trace); });
    });
}
