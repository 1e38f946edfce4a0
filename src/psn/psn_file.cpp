// SPDX-License-Identifier: MIT
#include "psn/psn_file.h"

#include <algorithm>
#include <bit>
#include <stdexcept>
#include <string_view>
#include <system_error>
#include <vector>

#include "common/atomic_file.h"
#include "common/byte_order.h"
#include "common/output_name.h"
#include "common/sample_memory.h"
#include "common/user_error.h"
#include "psn/psn_builders.h"
#include "trace/number_forms.h"

namespace tremorline::psn {
namespace {

// Characters from..to (counted from 1) of `text`; positions past its end
// give nothing, so a short text yields a shorter piece.
std::string_view Characters(std::string_view text, std::size_t from, std::size_t to) {
    if (from > text.size()) {
        return {};
    }
    return text.substr(from - 1, to - from + 1);
}

// YYMMDD.hhmmss for a four-digit year.
std::string TimeStamp(const trace::DateTime& time) {
    return trace::TwoDigitText(time.year % 100) + trace::TwoDigitText(time.month) +
           trace::TwoDigitText(time.day) + "." + trace::TwoDigitText(time.hour) +
           trace::TwoDigitText(time.minute) + trace::TwoDigitText(time.second);
}

// The stamp of a year with other than four digits: the name's characters
// come from the places that hold YYMMDD.hhmmss in the text MM/DD/YYYY
// hh:mm:ss of a four-digit year. With a shorter year those places hold other
// characters (the year 999 gives "9 0201.3:4:5"); the names are kept that way
// so that a PSN file of such a trace gets the same name every time, and an
// existing one is found and replaced.
std::string TimeStampFromFixedTextPositions(std::string_view ref) {
    std::string stamp;
    stamp += Characters(ref, 9, 10);
    stamp += Characters(ref, 1, 2);
    stamp += Characters(ref, 4, 5);
    stamp += '.';
    stamp += Characters(ref, 12, 13);
    stamp += Characters(ref, 15, 16);
    stamp += Characters(ref, 18, 19);
    return stamp;
}

// Samples per block when they are read from their source as the file is
// written: 4 MiB, large enough that the reads and writes cost no more than
// one of the whole trace, small enough to stay in the processor's cache.
constexpr std::size_t kStreamBlock = std::size_t{1} << 20;

void WriteSamples(AtomicFile& file, std::span<const float> samples,
                  const ProgressStage& stage = {}) {
    if constexpr (std::endian::native == std::endian::little) {
        // Already in the file's order: written straight from the caller's
        // array, with no second copy of a large trace.
        for (std::size_t start = 0; start < samples.size(); start += kProgressBlock) {
            stage.Step(start, samples.size());
            file.Write(std::as_bytes(
                samples.subspan(start, std::min(kProgressBlock, samples.size() - start))));
        }
    } else {
        constexpr std::size_t kChunk = 1 << 16;
        std::vector<unsigned char> chunk(4 * kChunk);
        for (std::size_t start = 0; start < samples.size(); start += kChunk) {
            stage.Step(start, samples.size());
            std::size_t count = std::min(kChunk, samples.size() - start);
            for (std::size_t i = 0; i < count; ++i) {
                PutLEF32(chunk, 4 * i, samples[start + i]);
            }
            file.Write(std::span<const unsigned char>(chunk.data(), 4 * count));
        }
    }
}

}  // namespace

std::uint64_t PsnFileSize(std::int32_t npts) {
    return kSampleOffset + 4 * static_cast<std::uint64_t>(std::max(npts, 0)) + kTrailerSize;
}

std::string PsnFileName(const trace::TraceInfo& info, char component_letter) {
    const trace::DateTime& ref = info.RefTime;
    std::string name = ref.year >= 1000 && ref.year <= 9999
                           ? TimeStamp(ref)
                           : TimeStampFromFixedTextPositions(info.RefTimeText());
    name += '.';
    name += TrimSpaces(info.KSTNM);
    name += component_letter;
    name += ".psn";
    return SafeOutputName(name);
}

namespace {

void WriteRecords(AtomicFile& file, const PSNRecords& records) {
    file.Write(ToBytes(records.Header));
    file.Write(ToBytes(records.EventBlock));
    file.Write(records.EndBlock);
}

// Puts the complete file in place as WritePsnFile describes.
bool Place(AtomicFile& file, const ReplaceTaken& replace_taken, const ProgressStage& stage,
           std::size_t count) {
    constexpr std::array<unsigned char, kTrailerSize> kTrailer{};
    file.Write(kTrailer);
    // The last look: a stop asked for now still leaves the target as it was.
    stage.Step(count, count);
    if (replace_taken) {
        if (file.CommitIfFree()) {
            return true;
        }
        if (!replace_taken()) {
            return false;
        }
    }
    file.Commit();
    return true;
}

void RequireSampleCount(const PSNRecords& records, std::size_t count) {
    if (records.Header.SampleCount < 0 ||
        count != static_cast<std::size_t>(records.Header.SampleCount)) {
        throw std::invalid_argument("PSN samples do not match the header's sample count");
    }
}

}  // namespace

bool WritePsnFile(const std::filesystem::path& path, const PSNRecords& records,
                  std::span<const float> samples, const ReplaceTaken& replace_taken,
                  const ProgressStage& stage) {
    RequireSampleCount(records, samples.size());
    AtomicFile file(path);
    WriteRecords(file, records);
    WriteSamples(file, samples, stage);
    return Place(file, replace_taken, stage, samples.size());
}

bool WritePsnFile(const std::filesystem::path& path, const PSNRecords& records,
                  const SampleSource& samples, const ReplaceTaken& replace_taken,
                  const ProgressStage& stage) {
    const std::size_t count = samples.Count();
    RequireSampleCount(records, count);
    std::vector<float> block = AllocateSamples<float>(std::min(count, kStreamBlock));
    AtomicFile file(path);
    WriteRecords(file, records);
    for (std::size_t first = 0; first < count; first += block.size()) {
        const std::span<float> part(block.data(), std::min(block.size(), count - first));
        stage.Step(first, count);
        samples.Read(first, part);
        WriteSamples(file, part);
    }
    return Place(file, replace_taken, stage, count);
}

}  // namespace tremorline::psn
