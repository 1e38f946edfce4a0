#include "mseed/mseed_reader.h"

#include <libmseed.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <limits>
#include <mutex>
#include <set>
#include <string_view>
#include <system_error>

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

// The library reports details through its log. They are kept, per thread,
// to be put into the message of a failure, and never printed.
thread_local std::string library_message;

void KeepLibraryMessage(char* message) {
    std::string_view text(message);
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) {
        text.remove_suffix(1);
    }
    library_message.assign(text);
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
        library_message.clear();
        return ms_readmsr_r(&file_, &record_, path.c_str(), 0, &offset_, nullptr, 0, 1, 0);
    }

    const MSRecord& Record() const { return *record_; }
    std::int64_t Offset() const { return static_cast<std::int64_t>(offset_); }

    // Adds the current record to the segment of its channel that it follows
    // on from, or starts a new segment. False when the library refuses.
    bool AddRecord() {
        return mst_addmsrtogroup(group_, record_, kSplitByQuality, kDefaultTimeTolerance,
                                 kDefaultRateTolerance) != nullptr;
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

    [[noreturn]] void Throw(const std::string& reason) const {
        std::string message = "Cannot read " + path_ + " as miniSEED: " + reason;
        if (!library_message.empty()) {
            message += " (" + library_message + ")";
        }
        throw UserError(message + ".");
    }

    [[noreturn]] void AtRecord(std::int64_t number, std::int64_t offset,
                               const std::string& reason) const {
        Throw("record " + std::to_string(number) + " at byte " + std::to_string(offset) + ": " +
              reason);
    }

  private:
    std::string path_;
};

bool HasNumericSamples(char sample_type) {
    return sample_type == 'i' || sample_type == 'f' || sample_type == 'd';
}

// Checks what the library accepts but a trace cannot be made of.
void CheckRecord(const MSRecord& record, std::int64_t number, std::int64_t offset,
                 const Refusal& refusal) {
    if (!HasNumericSamples(record.sampletype) || record.samplecnt == 0) {
        return;  // text or empty records carry no samples; they are passed over
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

// The previous segment of the same channel in time order (ties keep the
// file's order), for the gap or overlap before each segment.
void FillGaps(std::vector<Segment>& segments) {
    for (std::size_t i = 0; i < segments.size(); ++i) {
        const Segment* previous = nullptr;
        for (std::size_t j = 0; j < segments.size(); ++j) {
            const Segment& other = segments[j];
            const bool before =
                other.start < segments[i].start || (other.start == segments[i].start && j < i);
            if (j == i || !before || other.source.Name() != segments[i].source.Name()) {
                continue;
            }
            if (previous == nullptr || other.start >= previous->start) {
                previous = &other;
            }
        }
        if (previous != nullptr) {
            segments[i].gap_before =
                static_cast<double>(segments[i].start - previous->end) / 1e6 - 1.0 / previous->rate;
        }
    }
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

    LibraryReader reader;
    std::int64_t number = 0;
    std::int64_t consumed = 0;  // bytes of the file read as whole records
    for (;;) {
        const int code = reader.Next(library_path);
        if (code == MS_ENDOFFILE) {
            break;
        }
        if (code != MS_NOERROR) {
            refusal.AtRecord(number + 1, consumed, ReasonInWords(code));
        }
        ++number;
        const MSRecord& record = reader.Record();
        consumed = reader.Offset() + record.reclen;
        CheckRecord(record, number, reader.Offset(), refusal);
        if (record.samplecnt == 0 || !HasNumericSamples(record.sampletype)) {
            continue;
        }
        if (!reader.AddRecord()) {
            refusal.AtRecord(number, reader.Offset(),
                             "its samples cannot be joined to the channel's other records");
        }
    }
    library_message.clear();
    if (static_cast<std::uintmax_t>(consumed) != file_size) {
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
        segments.push_back(std::move(segment));
    }
    if (segments.empty()) {
        refusal.Throw("it holds no samples");
    }
    FillGaps(segments);
    return segments;
}

}  // namespace tremorline::mseed
