// SPDX-License-Identifier: MIT
#include "trace/trace_loader.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <fstream>
#include <system_error>
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

// The first bytes of the file, as many as tell whether it is miniSEED;
// nothing for what is not a regular file (a FIFO would wait for a writer).
std::optional<std::vector<unsigned char>> ReadHead(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return std::nullopt;
    }
    std::vector<unsigned char> head(4096);
    std::ifstream in(path, std::ios::binary);
    in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    return head;
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
        try {
            std::rethrow_exception(sac_failure);
        } catch (const UserError& failure) {
            // A file too short for a SAC header may have been meant as
            // miniSEED: say why it is not that either.
            const std::optional<std::vector<unsigned char>> head = ReadHead(path);
            if (head && head->size() < sac::kHeaderSize) {
                throw UserError(std::string(failure.what()) + " Nor is it a miniSEED file: " +
                                mseed::WhyNotMiniSeed(*head) + ".");
            }
            throw;
        }
    }
    return std::nullopt;
}

std::string UnknownDataTypeReason(const std::filesystem::path& path) {
    const std::optional<std::vector<unsigned char>> head = ReadHead(path);
    std::string why_not = head ? mseed::WhyNotMiniSeed(*head) : std::string();
    if (why_not.empty()) {
        why_not = "it cannot be read";
    }
    return std::string(sac::kUnknownDataTypeReason) + "; nor is it a miniSEED file: " + why_not;
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
