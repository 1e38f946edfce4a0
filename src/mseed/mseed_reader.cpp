// SPDX-License-Identifier: MIT
#include "mseed/mseed_reader.h"

#include <libmseed.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <map>
#include <mutex>
#include <set>
#include <string_view>
#include <system_error>
#include <tuple>

#include "common/rounding.h"
#include "common/user_error.h"

namespace tremorline::mseed {
namespace {

// Default tolerances of the library: half a sample interval for time, and
// its usual relative test for the sample rate.
constexpr double kDefaultTimeTolerance = -1.0;
constexpr double kDefaultRateTolerance = -1.0;
constexpr flag kSplitByQuality = 1;

// How much of a file the content check reads: enough for a record header
// and, in nearly all files, the blockette that gives the record length.
constexpr std::size_t kDetectBytes = 4096;

// The library reports details and warnings through its log. They are kept,
// per thread, for the message of a failure or the notes of a segment, and
// never printed.
thread_local std::vector<std::string> library_messages;

void KeepLibraryMessage(char* message) {
    std::string text(message);
    std::replace(text.begin(), text.end(), '\n', ' ');
    while (!text.empty() && text.back() == ' ') {
        text.pop_back();
    }
    if (!text.empty()) {
        library_messages.push_back(std::move(text));
    }
}

void QuietLibraryLog() {
    static std::once_flag once;
    std::call_once(once, [] { ms_loginit(KeepLibraryMessage, "", KeepLibraryMessage, ""); });
}

// The library's result codes, in words for the user.
std::string ReasonInWords(int code) {
    switch (code) {
        case MS_NOTSEED:
            return "what follows is not a miniSEED record";
        case MS_WRONGLENGTH:
            return "the file ends in the middle of a record (it is truncated)";
        case MS_OUTOFRANGE:
            return "the record gives a length outside 128 to 1048576 bytes";
        case MS_UNKNOWNFORMAT:
            return "the samples are in an encoding that cannot be decoded";
        case MS_STBADCOMPFLAG:
            return "the compressed samples have invalid flags (the record is corrupt)";
        default:
            return "the record cannot be decoded";
    }
}

// Owns what the library allocates while reading one file.
class LibraryReader {
  public:
    LibraryReader() : group_(mst_initgroup(nullptr)) {}
    ~LibraryReader() {
        ms_readmsr_r(&file_, &record_, nullptr, 0, nullptr, nullptr, 0, 0, 0);
        mst_freegroup(&group_);
    }
    LibraryReader(const LibraryReader&) = delete;
    LibraryReader& operator=(const LibraryReader&) = delete;

    // Reads the next record; MS_NOERROR, MS_ENDOFFILE or an error code.
    int Next(const std::string& path) {
        library_messages.clear();
        return ms_readmsr_r(&file_, &record_, path.c_str(), 0, &offset_, nullptr, 0, 1, 0);
    }

    const MSRecord& Record() const { return *record_; }
    std::int64_t Offset() const { return static_cast<std::int64_t>(offset_); }

    // Adds the current record to the segment of its channel that it follows
    // on from, or starts a new segment; that segment, or null when the
    // library refuses.
    const MSTrace* AddRecord() {
        return mst_addmsrtogroup(group_, record_, kSplitByQuality, kDefaultTimeTolerance,
                                 kDefaultRateTolerance);
    }

    const MSTraceGroup& Group() const { return *group_; }

  private:
    MSFileParam* file_ = nullptr;
    MSRecord* record_ = nullptr;
    MSTraceGroup* group_ = nullptr;
    off_t offset_ = 0;
};

class Refusal {
  public:
    explicit Refusal(const std::filesystem::path& path) : path_(path.string()) {}

    // The library's own detail, when it gave one, follows the reason.
    [[noreturn]] void Throw(const std::string& reason) const {
        std::string message = "Cannot read " + path_ + " as miniSEED: " + reason;
        if (!library_messages.empty()) {
            message += " (" + library_messages.back() + ")";
        }
        throw UserError(message + ".");
    }

    [[noreturn]] void AtRecord(std::int64_t number, std::int64_t offset,
                               const std::string& reason) const {
        Throw(RecordName(number, offset) + ": " + reason);
    }

    static std::string RecordName(std::int64_t number, std::int64_t offset) {
        return "record " + std::to_string(number) + " at byte " + std::to_string(offset);
    }

  private:
    std::string path_;
};

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

bool HasNumericSamples(char sample_type) {
    return sample_type == 'i' || sample_type == 'f' || sample_type == 'd';
}

// Checks what the library accepts but a trace cannot be made of.
void CheckRecord(const MSRecord& record, std::int64_t number, std::int64_t offset,
                 const Refusal& refusal) {
    if (!HasNumericSamples(record.sampletype) || record.samplecnt == 0) {
        return;  // text or empty records carry no samples; they are passed over
    }
    const BTime& time = record.fsdh->start_time;  // in memory order once unpacked
    const int days_in_year = IsLeapYear(time.year) ? 366 : 365;
    if (time.day < 1 || time.day > days_in_year || time.hour > 23 || time.min > 59 ||
        time.sec > 60 || time.fract > 9999) {
        char text[64];
        std::snprintf(text, sizeof text, "%d, day %d, %02d:%02d:%02d.%04d", time.year, time.day,
                      time.hour, time.min, time.sec, time.fract);
        refusal.AtRecord(number, offset,
                         "its start time (" + std::string(text) + ") is impossible");
    }
    if (!std::isfinite(record.samprate) || record.samprate <= 0.0) {
        refusal.AtRecord(number, offset,
                         "its sample rate (" + std::to_string(record.samprate) + ") is impossible");
    }
    if (record.numsamples != record.samplecnt) {
        refusal.AtRecord(number, offset,
                         "it claims " + std::to_string(record.samplecnt) + " samples but holds " +
                             std::to_string(record.numsamples));
    }
}

std::vector<float> ToFloats(const MSTrace& trace) {
    const auto count = static_cast<std::size_t>(trace.numsamples);
    std::vector<float> out(count);
    if (trace.sampletype == 'i') {
        const auto* in = static_cast<const std::int32_t*>(trace.datasamples);
        std::transform(in, in + count, out.begin(),
                       [](std::int32_t v) { return static_cast<float>(v); });
    } else if (trace.sampletype == 'f') {
        const auto* in = static_cast<const float*>(trace.datasamples);
        std::copy(in, in + count, out.begin());
    } else {
        const auto* in = static_cast<const double*>(trace.datasamples);
        std::transform(in, in + count, out.begin(), RoundToSingle);
    }
    return out;
}

// The gap or overlap before each segment, measured from the latest end among
// the segments of its channel that start before it (ties of start keep the
// file's order). One sort and one pass, so a file of many short segments
// costs no more than its sorting.
void FillGaps(std::vector<Segment>& segments) {
    std::vector<std::string> names(segments.size());
    std::vector<std::size_t> order(segments.size());
    for (std::size_t i = 0; i < segments.size(); ++i) {
        names[i] = segments[i].source.Name();
        order[i] = i;
    }
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return std::tie(names[a], segments[a].start, a) < std::tie(names[b], segments[b].start, b);
    });
    const Segment* latest = nullptr;  // the latest-ending segment so far of this channel
    for (std::size_t k = 0; k < order.size(); ++k) {
        Segment& segment = segments[order[k]];
        if (k > 0 && names[order[k]] != names[order[k - 1]]) {
            latest = nullptr;
        }
        if (latest != nullptr) {
            segment.gap_before =
                static_cast<double>(segment.start - latest->end) / 1e6 - 1.0 / latest->rate;
        }
        if (latest == nullptr || segment.end > latest->end) {
            latest = &segment;
        }
    }
}

// Whether the file holds nothing but zero bytes from `offset` on: the
// padding some writers leave after the last record, which the library skips
// too. Anything else there is a record cut short.
bool OnlyZerosFrom(const std::filesystem::path& path, std::int64_t offset) {
    std::ifstream in(path, std::ios::binary);
    in.seekg(offset);
    char buffer[4096];
    while (in) {
        in.read(buffer, sizeof buffer);
        const auto got = static_cast<std::size_t>(in.gcount());
        if (std::any_of(buffer, buffer + got, [](char c) { return c != 0; })) {
            return false;
        }
    }
    return in.eof();
}

std::string UniqueTitle(const std::string& name, std::set<std::string>& taken) {
    std::string title = name;
    const std::string stem = name.substr(0, name.size() - 4);  // without ".SAC"
    for (int n = 1; taken.count(title) != 0; ++n) {
        title = stem + "-" + std::to_string(n) + ".SAC";
    }
    taken.insert(title);
    return title;
}

}  // namespace

bool LooksLikeMiniSeed(std::span<const unsigned char> head) {
    QuietLibraryLog();
    const auto length = static_cast<int>(std::min<std::size_t>(head.size(), kDetectBytes));
    if (length < 48) {
        return false;  // shorter than a record's fixed header
    }
    return ms_detect(reinterpret_cast<const char*>(head.data()), length) >= 0;
}

bool IsMiniSeedFile(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> head(kDetectBytes);
    in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(in.gcount()));
    return LooksLikeMiniSeed(head);
}

std::vector<Segment> ReadMiniSeed(const std::filesystem::path& path) {
    QuietLibraryLog();
    const Refusal refusal(path);
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        refusal.Throw("it is not a regular file");
    }
    const auto file_size = std::filesystem::file_size(path, error);
    if (error) {
        refusal.Throw(error.message());
    }
    // The library reads standard input for the name "-"; a file of that
    // name is given with its folder.
    std::string library_path = path.string();
    if (!path.has_parent_path()) {
        library_path = (std::filesystem::path(".") / path).string();
    }

    if (file_size == 0) {
        refusal.Throw("the file is empty");
    }

    LibraryReader reader;
    std::map<const MSTrace*, std::vector<std::string>> notes;  // warnings per segment
    std::int64_t number = 0;
    std::int64_t consumed = 0;  // bytes of the file read as whole records
    for (;;) {
        const int code = reader.Next(library_path);
        if (code == MS_ENDOFFILE) {
            break;
        }
        if (code != MS_NOERROR && OnlyZerosFrom(path, consumed)) {
            break;  // padding after the last record
        }
        if (code != MS_NOERROR) {
            refusal.AtRecord(number + 1, consumed, ReasonInWords(code));
        }
        ++number;
        const MSRecord& record = reader.Record();
        consumed = reader.Offset() + record.reclen;
        if (static_cast<std::uintmax_t>(consumed) > file_size) {
            refusal.AtRecord(number, reader.Offset(),
                             "it claims " + std::to_string(record.reclen) +
                                 " bytes, more than the file holds (it is truncated)");
        }
        CheckRecord(record, number, reader.Offset(), refusal);
        if (record.samplecnt == 0 || !HasNumericSamples(record.sampletype)) {
            continue;
        }
        const std::vector<std::string> warnings = library_messages;
        const MSTrace* trace = reader.AddRecord();
        if (trace == nullptr) {
            refusal.AtRecord(number, reader.Offset(),
                             "its samples cannot be joined to the channel's other records");
        }
        for (const std::string& warning : warnings) {
            notes[trace].push_back(Refusal::RecordName(number, reader.Offset()) + ": " + warning);
        }
    }
    library_messages.clear();
    if (!OnlyZerosFrom(path, consumed)) {
        refusal.Throw("the file ends in the middle of a record at byte " +
                      std::to_string(consumed) + " (it is truncated)");
    }

    std::vector<Segment> segments;
    std::set<std::string> titles;
    for (const MSTrace* trace = reader.Group().traces; trace != nullptr; trace = trace->next) {
        if (trace->numsamples <= 0) {
            continue;
        }
        if (trace->numsamples > std::numeric_limits<std::int32_t>::max()) {
            refusal.Throw("a segment has more samples than a SAC trace can hold");
        }
        Segment segment;
        segment.source = SourceId{trace->network, trace->station, trace->location, trace->channel,
                                  trace->dataquality};
        segment.start = trace->starttime;
        segment.end = trace->endtime;
        segment.rate = trace->samprate;
        segment.count = static_cast<std::int32_t>(trace->numsamples);
        segment.header = SegmentHeader(segment.source, segment.start, segment.rate, segment.count);
        segment.title = UniqueTitle(SegmentFileName(segment.source, segment.start), titles);
        segment.samples = std::make_shared<const MemorySampleSource>(ToFloats(*trace));
        if (const auto found = notes.find(trace); found != notes.end()) {
            segment.notes = found->second;
        }
        segments.push_back(std::move(segment));
    }
    if (segments.empty()) {
        refusal.Throw("it holds no samples");
    }
    FillGaps(segments);
    return segments;
}

}  // namespace tremorline::mseed
