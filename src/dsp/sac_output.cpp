// SPDX-License-Identifier: MIT
#include "dsp/sac_output.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <span>
#include <system_error>
#include <utility>
#include <vector>

#include "common/atomic_file.h"
#include "common/output_name.h"
#include "common/user_error.h"
#include "dsp/trace_filter.h"
#include "psn/psn_file.h"
#include "sac/sac_writer.h"
#include "sac/trace_file.h"

namespace tremorline::dsp {
namespace {

namespace fs = std::filesystem;

// DEPMIN, DEPMAX and DEPMEN of the samples written: the finite ones.
class DependentRange {
  public:
    void Add(std::span<const float> samples) {
        for (const float value : samples) {
            if (!std::isfinite(value)) {
                continue;
            }
            min_ = std::min(min_, value);
            max_ = std::max(max_, value);
            sum_ += value;
            ++count_;
        }
    }

    void PutInto(sac::HeaderBytes& header, sac::ByteOrder order) const {
        if (count_ == 0) {
            return;
        }
        sac::PutReal(header, sac::real::DEPMIN, min_, order);
        sac::PutReal(header, sac::real::DEPMAX, max_, order);
        sac::PutReal(header, sac::real::DEPMEN,
                     static_cast<float>(sum_ / static_cast<double>(count_)), order);
    }

  private:
    float min_ = std::numeric_limits<float>::infinity();
    float max_ = -std::numeric_limits<float>::infinity();
    double sum_ = 0.0;
    std::size_t count_ = 0;
};

// Converts and writes samples a block at a time, in the file's byte order.
class SampleWriter {
  public:
    SampleWriter(AtomicFile& file, sac::ByteOrder order) : file_(file), order_(order) {}

    void Write(std::span<const float> samples) {
        bytes_.clear();
        sac::AppendSampleBytes(samples, order_, bytes_);
        file_.Write(std::span<const unsigned char>(bytes_));
    }

    void Write(std::span<const double> samples) {
        for (std::size_t first = 0; first < samples.size(); first += kStreamBlock) {
            const std::span<const double> part =
                samples.subspan(first, std::min(kStreamBlock, samples.size() - first));
            single_.resize(part.size());
            std::transform(part.begin(), part.end(), single_.begin(),
                           [](double v) { return static_cast<float>(v); });
            Write(std::span<const float>(single_));
        }
    }

  private:
    AtomicFile& file_;
    sac::ByteOrder order_;
    std::vector<unsigned char> bytes_;
    std::vector<float> single_;
};

void AddAsSingle(DependentRange& range, std::span<const double> samples) {
    std::vector<float> single(std::min(samples.size(), kStreamBlock));
    for (std::size_t first = 0; first < samples.size(); first += single.size()) {
        const std::size_t len = std::min(single.size(), samples.size() - first);
        for (std::size_t i = 0; i < len; ++i)
            single[i] = static_cast<float>(samples[first + i]);
        range.Add(std::span<const float>(single.data(), len));
    }
}

// Each block of the samples as recorded.
template <typename Use>
void ForEachRecordedBlock(const SampleSource& source, const Progress& progress, Use use) {
    const std::size_t count = source.Count();
    std::vector<float> block(std::min(count, kStreamBlock));
    for (std::size_t first = 0; first < count; first += block.size()) {
        progress.Step(first, count);
        const std::span<float> part(block.data(), std::min(block.size(), count - first));
        source.Read(first, part);
        use(std::span<const float>(part));
    }
}

bool SameFile(const fs::path& a, const fs::path& b) {
    std::error_code error;
    return fs::equivalent(a, b, error) && !error;
}

}  // namespace

std::string SacFileName(std::string_view title) {
    return SafeOutputName(title);
}

namespace {

// The header the file starts with: a SAC file's own header bytes, or the
// segment's converted header, with B, E and NPTS those of the trace (a cut
// trace has its own) and DEPMIN, DEPMAX and DEPMEN of the samples written.
sac::HeaderBytes BaseHeader(const trace::LoadedTrace& trace, sac::ByteOrder order) {
    if (trace.segment.has_value()) {
        return sac::SacHeaderBytes(trace.header, order);
    }
    sac::HeaderBytes header{};
    sac::TraceFile(trace.path).ReadAt(0, header);
    sac::PutReal(header, sac::real::B, trace.header.reals[sac::real::B], order);
    sac::PutReal(header, sac::real::E, trace.header.reals[sac::real::E], order);
    sac::PutInteger(header, sac::integer::NPTS, trace.header.ints[sac::integer::NPTS], order);
    return header;
}

// Whether the trace is a part of a miniSEED segment rather than all of it.
bool IsCutSegment(const trace::LoadedTrace& trace) {
    return trace.segment.has_value() && trace.samples &&
           trace.samples->Count() != static_cast<std::size_t>(trace.segment->count);
}

// Writes the file at `path`; false when `existing` is Keep and the file
// came to hold data meanwhile. With `levels_always`, DEPMIN, DEPMAX and
// DEPMEN are set even for a whole unfiltered segment.
bool WriteSac(const trace::LoadedTrace& trace, const std::optional<TraceFilter>& filter,
              const fs::path& path, ExistingOutput existing, bool levels_always,
              const Progress& progress) {
    if (SameFile(path, trace.path)) {
        throw UserError("not written: " + path.string() +
                        " is the trace file itself; choose another name.");
    }
    if (!trace.samples || trace.samples->Count() == 0) {
        throw UserError("not written: the trace has no samples.");
    }
    const bool from_sac_file = !trace.segment.has_value();
    const sac::ByteOrder order = from_sac_file ? trace.order : sac::ByteOrder::Little;
    sac::HeaderBytes header = BaseHeader(trace, order);
    const SampleSource& source = *trace.samples;
    // The converted file of a whole unfiltered segment is left exactly as
    // the conversion writes it.
    const bool set_range =
        levels_always || from_sac_file || filter.has_value() || IsCutSegment(trace);

    DependentRange range;
    std::optional<DoubleBuffer> filtered;
    double mean = 0.0;
    if (!filter) {
        if (set_range) {
            ForEachRecordedBlock(source, progress, [&](std::span<const float> b) { range.Add(b); });
        }
    } else if (filter->zero_phase) {
        filtered.emplace(FilterTrace(source, *filter, progress, [&](std::span<const double> block) {
            AddAsSingle(range, block);
        }));
    } else {
        mean = CheckedMean(source, progress);
        StreamCausal(
            source, *filter, mean,
            [&](std::span<const double> block) { AddAsSingle(range, block); }, progress);
    }
    if (set_range) {
        range.PutInto(header, order);
    }

    AtomicFile file(path);
    file.Write(std::span<const unsigned char>(header));
    SampleWriter writer(file, order);
    if (!filter) {
        ForEachRecordedBlock(source, progress, [&](std::span<const float> b) { writer.Write(b); });
    } else if (filter->zero_phase) {
        writer.Write(std::as_const(*filtered).span());
    } else {
        StreamCausal(
            source, *filter, mean, [&](std::span<const double> block) { writer.Write(block); },
            progress);
    }
    if (existing == ExistingOutput::Keep) {
        return file.CommitIfFree();
    }
    file.Commit();
    return true;
}

}  // namespace

SacOutcome WriteSacOutput(const trace::LoadedTrace& trace, const std::optional<TraceFilter>& filter,
                          const fs::path& folder, ExistingOutput existing, const OutputNamed& named,
                          const Progress& progress) {
    SacOutcome outcome;
    outcome.path = folder / SacFileName(trace.title);
    if (named) {
        named(outcome.path);
    }
    if (SameFile(outcome.path, trace.path)) {
        throw UserError("not written: " + outcome.path.string() +
                        " is the trace file itself; write into another folder with --output-dir");
    }
    if (existing == ExistingOutput::Keep && psn::HoldsData(outcome.path)) {
        return outcome;
    }
    outcome.written = WriteSac(trace, filter, outcome.path, existing, false, progress);
    return outcome;
}

void WriteSacFile(const trace::LoadedTrace& trace, const std::optional<TraceFilter>& filter,
                  const fs::path& path, const Progress& progress) {
    WriteSac(trace, filter, path, ExistingOutput::Replace, true, progress);
}

}  // namespace tremorline::dsp
