// SPDX-License-Identifier: MIT
#include "trace/trace_loader.h"

#include <cmath>
#include <cstdio>
#include <exception>
#include <utility>

#include "mseed/mseed_reader.h"
#include "trace/trace_times.h"

namespace tremorline::trace {
namespace {

LoadedTrace TraceFromSegment(const std::filesystem::path& path, mseed::Segment&& segment) {
    LoadedTrace trace;
    trace.path = path;
    trace.title = std::move(segment.title);
    // The segment's header and samples are in memory, in memory order.
    trace.order = sac::ByteOrder::Little;
    trace.header = segment.header;
    CopyTraceInfo(trace.header, trace.info);
    ComputeTraceTimes(trace.info);
    trace.samples = std::move(segment.samples);
    trace.segment = SegmentOrigin{.source = segment.source.Name(),
                                  .start = mseed::TimeText(segment.start),
                                  .end = mseed::TimeText(segment.end),
                                  .rate = segment.rate,
                                  .count = segment.count,
                                  .gap_before = segment.gap_before,
                                  .notes = std::move(segment.notes)};
    return trace;
}

std::string SecondsText(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g s", seconds);
    return text;
}

}  // namespace

std::optional<std::vector<LoadedTrace>> LoadTraceFile(const std::filesystem::path& path) {
    // A SAC file is tried exactly as before miniSEED was read. A file too
    // short for a SAC header may still be a miniSEED record, so that failure
    // is held back until the content has been looked at.
    std::exception_ptr sac_failure;
    try {
        if (std::optional<LoadedTrace> sac = LoadSacTrace(path)) {
            std::vector<LoadedTrace> traces;
            traces.push_back(std::move(*sac));
            return traces;
        }
    } catch (const UserError&) {
        sac_failure = std::current_exception();
    }
    if (mseed::IsMiniSeedFile(path)) {
        std::vector<mseed::Segment> segments;
        try {
            segments = mseed::ReadMiniSeed(path);
        } catch (const UserError& failure) {
            throw UnreadableMiniSeed(failure.what());
        }
        std::vector<LoadedTrace> traces;
        traces.reserve(segments.size());
        for (mseed::Segment& segment : segments) {
            traces.push_back(TraceFromSegment(path, std::move(segment)));
        }
        return traces;
    }
    if (sac_failure) {
        std::rethrow_exception(sac_failure);
    }
    return std::nullopt;
}

std::string SummaryTitle(const LoadedTrace& trace) {
    if (!trace.segment) {
        return trace.title;
    }
    return trace.path.filename().string() + "  " + trace.segment->source;
}

std::string GapText(const std::optional<double>& gap_before) {
    if (!gap_before) {
        return {};
    }
    // Times are whole microseconds, so anything below one is rounding.
    if (std::fabs(*gap_before) < 1e-6) {
        return "follows on";
    }
    if (*gap_before > 0.0) {
        return "gap of " + SecondsText(*gap_before);
    }
    return "overlap of " + SecondsText(std::fabs(*gap_before));
}

}  // namespace tremorline::trace
