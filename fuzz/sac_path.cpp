// A SAC file from raw bytes, through everything the program does with one:
// load, summary, the PSN file, the sound levels, the WAVE image and file.
// The program's own refusals (UserError) are normal outcomes; a crash, a
// sanitizer report, an output whose size differs from what its header
// promises, or a file left behind is a finding.

#include <algorithm>
#include <vector>

#include "common/byte_order.h"
#include "common/control_bytes.h"
#include "common/user_error.h"
#include "fuzz_target.h"
#include "harness.h"
#include "psn/psn_builders.h"
#include "psn/psn_file.h"
#include "sac/sac_loader.h"
#include "sac/trace_file.h"
#include "sound/sound_levels.h"
#include "sound/wave_data.h"
#include "sound/wave_header.h"
#include "sound/wave_image.h"
#include "trace/header_summary.h"
#include "trace/trace_times.h"

namespace {

using namespace tremorline;
using fuzz::Check;

struct Loaded {
    sac::SacHeader header;
    trace::TraceInfo info;
    bool swapped = false;
};

void CheckSummary(const Loaded& trace) {
    const std::string summary =
        trace::HeaderSummaryText("fuzz.sac", trace.header, trace.info, "\n");
    const std::string shown = trace::SummaryForTerminal(summary);
    Check(std::none_of(
              shown.begin(), shown.end(),
              [](char c) { return IsControlByte(c) && c != '\n' && c != '\r' && c != '\t'; }),
          "a control byte reaches the terminal");
}

void MakePsn(const sac::TraceFile& file, const Loaded& trace) {
    const psn::PSNRecords records = psn::BuildPSNRecords(trace.info);
    const std::vector<float> samples = sac::ReadSamples(&file, trace.info.NPTS, trace.swapped);
    const std::string name = psn::PsnFileName(trace.info, records.Header.ComponentLetter);
    Check(std::none_of(name.begin(), name.end(), IsControlByte),
          "a control byte reaches a file name");
    Check(name.find('/') == std::string::npos, "a folder separator reaches a file name");
    psn::WritePsnFile(fuzz::ScratchFolder() / name, records, samples);
    // The file holds what its header's SampleCount promises, and the trace's
    // NPTS samples.
    const std::vector<unsigned char> written = fuzz::TakeScratchFile(name);
    Check(written.size() >= psn::PsnFileSize(0), "the PSN file is shorter than its headers");
    const auto sample_count = static_cast<std::int32_t>(LoadLE32(written.data() + 40));
    Check(written.size() == psn::PsnFileSize(sample_count) &&
              written.size() == psn::PsnFileSize(trace.info.NPTS),
          "the PSN file's size is not what its header promises");
}

void MakeSound(const sac::TraceFile& file, const Loaded& trace) {
    sound::WaveHeader header;
    sound::BuildWaveHeader(header, trace.info.NPTS);
    sound::SetPlayRate(header, 8000);
    (void)sound::RateAdviceText(trace.info.DELTA);
    const std::vector<float> samples = sac::ReadSamples(&file, trace.info.NPTS, trace.swapped);
    const sound::SoundLevels levels = sound::ComputeSoundLevels(samples);
    (void)sound::SoundLevelsText(levels);
    const std::vector<std::int16_t> wave_data = sound::BuildWaveData(samples, levels);
    Check(wave_data.size() == samples.size(), "one audio sample per trace sample");

    const std::vector<unsigned char> image = sound::BuildPlayBuffer(header, wave_data);
    Check(image.size() == sound::kWaveHeaderSize + 2 * wave_data.size(),
          "the play image's size differs from its samples");
    const auto playable = sound::ReadWaveImage(image);
    Check(playable && playable->rate == 8000 && playable->data_size == 2 * wave_data.size(),
          "the play image's header does not describe its audio");

    const std::string name = sound::WaveFileName("fuzz.sac");
    sound::WriteWaveFile(fuzz::ScratchFolder() / name, header, wave_data);
    // The saved file is the play image, and its RIFF and data sizes describe
    // exactly its length.
    const std::vector<unsigned char> written = fuzz::TakeScratchFile(name);
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
        const sac::TraceFile file(input.path());
        const sac::LoadedHeader loaded = sac::ReadSacHeader(file);
        if (loaded.order == sac::ByteOrder::Unknown) {
            return;
        }
        Loaded trace;
        trace.header = loaded.header;
        trace.swapped = loaded.order == sac::ByteOrder::Big;
        trace::CopyTraceInfo(trace.header, trace.info);
        trace::ComputeTraceTimes(trace.info);
        CheckSummary(trace);
        Try([&] { MakePsn(file, trace); });
        Try([&] { MakeSound(file, trace); });
    });
}
