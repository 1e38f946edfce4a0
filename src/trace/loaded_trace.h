#pragma once

// A loaded trace: one value made by a load that completes, holding
// everything the program knows of the trace and where its samples come from.
// Nothing changes it once made; the next completed load makes a new one.
// Held by shared pointer, so a reader on another thread keeps it (and the
// file behind its samples) alive for as long as it reads.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/sample_source.h"
#include "sac/sac_header.h"
#include "sac/sac_loader.h"
#include "trace/trace_info.h"

namespace tremorline::trace {

struct LoadedTrace {
    std::filesystem::path path;
    std::string title;  // the file's name without its folder (TraceFileTitle)
    sac::ByteOrder order = sac::ByteOrder::Unknown;  // the file's; never Unknown once loaded
    sac::SacHeader header;                           // converted to memory order
    TraceInfo info;                                  // copied and with its times computed
    std::shared_ptr<const SampleSource> samples;
};

// The message for a file readable in neither byte order.
inline constexpr const char* kUnknownDataType = "Unknown data type";

// Opens the SAC file at `path`, decides its byte order, reads and converts
// its header and fills TraceInfo. Nothing when the file is readable in
// neither byte order (its NZJDAY is no day of the year): the caller says
// "Unknown data type". Throws UserError when the file cannot be opened or
// read or its times cannot be worked out. The file stays open in the
// trace's sample source.
std::optional<LoadedTrace> LoadSacTrace(const std::filesystem::path& path);

// Every sample of the trace, read afresh from its source. Throws UserError
// when NPTS is below 1 or the source cannot give them all; a trace longer
// than its file is refused before anything is allocated for it.
std::vector<float> ReadSamples(const LoadedTrace& trace);

}  // namespace tremorline::trace
