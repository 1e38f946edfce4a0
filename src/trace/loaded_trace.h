// SPDX-License-Identifier: MIT
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

#include "common/progress_stage.h"
#include "common/sample_source.h"
#include "sac/sac_header.h"
#include "sac/sac_loader.h"
#include "trace/trace_info.h"

namespace tremorline::trace {

// Where a trace read from a miniSEED file lies in it, for choosing among the
// file's segments and for the summary's first line.
struct SegmentOrigin {
    std::string source;  // "IU.COLA.00.LHZ"
    std::string start;   // time of the first sample, "2010-02-27 06:50:00.069539"
    std::string end;     // time of the last sample
    double rate = 0.0;   // samples per second
    std::int32_t count = 0;
    // Seconds since the end of the channel's previous segment: negative for
    // an overlap, empty for the channel's first segment.
    std::optional<double> gap_before;
    // What the library warned of while decoding the segment's records.
    std::vector<std::string> notes;
};

struct LoadedTrace {
    std::filesystem::path path;
    // The file's name without its folder (TraceFileTitle); for a miniSEED
    // segment, the name its converted SAC file would have, so outputs are
    // named as they would be after converting.
    std::string title;
    sac::ByteOrder order = sac::ByteOrder::Unknown;  // the file's; never Unknown once loaded
    sac::SacHeader header;                           // converted to memory order
    TraceInfo info;                                  // copied and with its times computed
    std::shared_ptr<const SampleSource> samples;
    std::optional<SegmentOrigin> segment;  // empty for a SAC file
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
// than its file is refused before anything is allocated for it. Read a block
// at a time, each block a step of `stage`.
std::vector<float> ReadSamples(const LoadedTrace& trace, const ProgressStage& stage = {});

// The checks ReadSamples makes before it allocates anything, for work that
// reads the samples a block at a time: throws UserError when NPTS is below 1
// or the source cannot give the last sample.
void RequireSamples(const LoadedTrace& trace);

}  // namespace tremorline::trace
