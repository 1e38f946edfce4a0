// SPDX-License-Identifier: MIT
#include "mseed/mseed_reader.h"

#include <fcntl.h>
#include <libmseed.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <deque>
#include <limits>
#include <map>
#include <mutex>
#include <new>
#include <set>
#include <string_view>
#include <system_error>
#include <tuple>

#include "common/control_bytes.h"
#include "common/rounding.h"
#include "common/user_error.h"

namespace tremorline::mseed {
namespace {

// Default tolerances of the library: half a sample interval for time, and
// its usual relative test for the sample rate.
constexpr double kDefaultTimeTolerance = -1.0;
constexpr double kDefaultRateTolerance = -1.0;

// A record's fixed header; no record is shorter than MINRECLEN.
constexpr std::size_t kFixedHeaderBytes = 48;

// How much of a file the content check reads: enough for a record header
// and, in nearly all files, the blockette that gives the record length.
constexpr std::size_t kDetectBytes = 4096;

// The library's record checks read a few bytes past the blockette they
// look at; buffers handed to it end in this many zero bytes more.
constexpr std::size_t kSlack = 16;

// How many library messages are kept per record, how long each may be, and
// how many warnings one file may add to its segments' notes. A damaged file
// can make the library say the same thing for every record.
constexpr std::size_t kMessagesPerRecord = 4;
constexpr std::size_t kMessageLength = 200;
constexpr std::size_t kNotesPerFile = 50;

// The library reports details and warnings through its log. A few are kept,
// per thread and per record, for the message of a failure or the notes of a
// segment, never printed, and made safe to show: a record's text fields can
// hold any bytes.
struct LibraryMessages {
    std::vector<std::string> kept;

    void Clear() { kept.clear(); }
    std::string Last() const { return kept.empty() ? std::string() : kept.back(); }
};
thread_local LibraryMessages library_messages;

void KeepLibraryMessage(char* message) {
    if (library_messages.kept.size() >= kMessagesPerRecord) {
        return;
    }
    std::string text(message, strnlen(message, kMessageLength));
    std::replace(text.begin(), text.end(), '\n', ' ');
    while (!text.empty() && text.back() == ' ') {
        text.pop_back();
    }
    if (!text.empty()) {
        library_messages.kept.push_back(TerminalText(text));
    }
}

void QuietLibraryLog() {
    static std::once_flag once;
    std::call_once(once, [] { ms_loginit(KeepLibraryMessage, "", KeepLibraryMessage, ""); });
}

// The reader's own refusal of a record, beside the library's codes (which
// are not positive).
constexpr int kSamplesPastRecord = 1;

// The library's result codes, in words for the user.
std::string ReasonInWords(int code) {
    switch (code) {
        case kSamplesPastRecord:
            return "its samples would run past the end of the record (its header is damaged)";
        case MS_NOTSEED:
            return "what follows is not a miniSEED record";
        case MS_WRONGLENGTH:
            return "its length does not match the length it gives";
        case MS_OUTOFRANGE:
            return "it gives a record length outside 128 to 1048576 bytes";
        case MS_UNKNOWNFORMAT:
            return "its samples are in an encoding that cannot be decoded";
        case MS_STBADCOMPFLAG:
            return "its compressed samples have invalid flags (the record is corrupt)";
        default:
            return "its header or samples are damaged and cannot be decoded";
    }
}

class Refusal {
  public:
    explicit Refusal(const std::filesystem::path& path) : path_(TerminalText(path.string())) {}

    // The library's own detail, when it gave one, follows the reason.
    [[noreturn]] void Throw(const std::string& reason) const {
        std::string message = "Cannot read " + path_ + " as miniSEED: " + reason;
        if (const std::string detail = library_messages.Last(); !detail.empty()) {
            message += " (" + detail + ")";
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

// A decoded record, owned.
struct RecordHolder {
    MSRecord* record = nullptr;
    RecordHolder() = default;
    RecordHolder(const RecordHolder&) = delete;
    RecordHolder& operator=(const RecordHolder&) = delete;
    ~RecordHolder() { msr_free(&record); }

    // Decodes `length` bytes at `bytes`, which end in kSlack zero bytes more.
    // Only the parser that reports and returns is used: it never runs the
    // library's diagnostic dump, which can loop on a damaged blockette chain.
    // The header is read first: the library decodes as many uncompressed
    // samples as the header claims, also past the end of the record, so
    // those must fit in it before the samples are decoded.
    int Parse(char* bytes, int length) {
        library_messages.Clear();
        int code = msr_parse(bytes, length, &record, length, 0, 0);
        if (code != MS_NOERROR) {
            return code;
        }
        if (!SamplesFitInRecord(*record)) {
            return kSamplesPastRecord;
        }
        return msr_parse(bytes, length, &record, length, 1, 0);
    }

  private:
    static bool SamplesFitInRecord(const MSRecord& header) {
        if (header.fsdh == nullptr || header.samplecnt < 0) {
            return false;
        }
        const std::int64_t data_offset = header.fsdh->data_offset;
        if (header.samplecnt == 0) {
            return true;
        }
        if (data_offset < static_cast<std::int64_t>(kFixedHeaderBytes) ||
            data_offset > header.reclen) {
            return false;
        }
        return header.samplecnt * SampleBytes(header.encoding) <= header.reclen - data_offset;
    }

    // Bytes per sample of the uncompressed encodings; 0 for the compressed
    // ones, whose decoders stop at the end of the record themselves.
    static std::int64_t SampleBytes(int encoding) {
        switch (encoding) {
            case DE_ASCII:
                return 1;
            case DE_INT16:
            case DE_GEOSCOPE163:
            case DE_GEOSCOPE164:
            case DE_CDSN:
            case DE_SRO:
            case DE_DWWSSN:
                return 2;
            case DE_GEOSCOPE24:
                return 3;
            case DE_INT32:
            case DE_FLOAT32:
                return 4;
            case DE_FLOAT64:
                return 8;
            default:
                return 0;
        }
    }
};

// The trace file, open for reading at any offset from any thread.
class RecordFile {
  public:
    RecordFile(const std::filesystem::path& path, const Refusal& refusal) {
        // The file itself, also when it is named "-".
        descriptor_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (descriptor_ < 0) {
            refusal.Throw(std::strerror(errno));
        }
        struct stat status {};
        if (::fstat(descriptor_, &status) != 0 || !S_ISREG(status.st_mode)) {
            ::close(descriptor_);
            refusal.Throw("it is not a regular file");
        }
        size_ = static_cast<std::int64_t>(status.st_size);
    }
    ~RecordFile() { ::close(descriptor_); }
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;

    std::int64_t Size() const { return size_; }

    // Fills `out` from `offset`; false when the file ends first or cannot be
    // read.
    bool ReadAt(std::int64_t offset, std::span<char> out) const {
        std::size_t done = 0;
        while (done < out.size()) {
            const ssize_t got = ::pread(descriptor_, out.data() + done, out.size() - done,
                                        static_cast<off_t>(offset) + static_cast<off_t>(done));
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got <= 0) {
                return false;
            }
            done += static_cast<std::size_t>(got);
        }
        return true;
    }

  private:
    int descriptor_ = -1;
    std::int64_t size_ = 0;
};

// Reads a file front to back through a buffer, so that records are looked
// at in place, whatever their length.
class SequentialWindow {
  public:
    explicit SequentialWindow(const RecordFile& file) : file_(file) {}

    // The bytes from `offset` on, `wanted` of them or to the end of the file,
    // followed by kSlack zero bytes that are not counted.
    std::span<char> At(std::int64_t offset, std::size_t wanted, const Refusal& refusal) {
        wanted = static_cast<std::size_t>(
            std::min<std::int64_t>(static_cast<std::int64_t>(wanted), file_.Size() - offset));
        if (offset < start_ || offset + static_cast<std::int64_t>(wanted) > start_ + length_) {
            const auto length = static_cast<std::size_t>(std::min<std::int64_t>(
                std::max<std::int64_t>(static_cast<std::int64_t>(wanted), kReadAhead),
                file_.Size() - offset));
            buffer_.assign(length + kSlack, 0);
            if (!file_.ReadAt(offset, std::span<char>(buffer_.data(), length))) {
                refusal.Throw("the file cannot be read at byte " + std::to_string(offset) + " (" +
                              std::strerror(errno) + ")");
            }
            start_ = offset;
            length_ = static_cast<std::int64_t>(length);
        }
        const auto skip = static_cast<std::size_t>(offset - start_);
        // The slack after these bytes: zeros past the buffer's end, file
        // bytes inside it, which the library only peeks at.
        return {buffer_.data() + skip, wanted};
    }

    // Whether the file holds nothing but zero bytes from `offset` on: the
    // padding some writers leave after the last record.
    bool OnlyZerosFrom(std::int64_t offset, const Refusal& refusal) {
        for (std::int64_t at = offset; at < file_.Size(); at += kReadAhead) {
            const std::span<char> bytes = At(at, kReadAhead, refusal);
            if (std::any_of(bytes.begin(), bytes.end(), [](char c) { return c != 0; })) {
                return false;
            }
        }
        return true;
    }

  private:
    static constexpr std::int64_t kReadAhead = 8 * MAXRECLEN;
    const RecordFile& file_;
    std::vector<char> buffer_;
    std::int64_t start_ = 0;
    std::int64_t length_ = 0;
};

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

bool HasNumericSamples(char sample_type) {
    return sample_type == 'i' || sample_type == 'f' || sample_type == 'd';
}

bool IsPowerOfTwo(std::int64_t value) {
    return value > 0 && (value & (value - 1)) == 0;
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

// Where one record of a segment lies in the file, and which of the
// segment's samples it holds.
struct RecordPlace {
    std::int64_t number = 0;  // 1 for the file's first record
    std::int64_t offset = 0;
    std::int32_t length = 0;
    std::int32_t samples = 0;
};

// A segment's samples, decoded from its records in the file when they are
// read. Only the records that hold the stretch asked for are decoded, each
// into a buffer of its own, so any number of threads can read at once and
// memory does not grow with the segment.
class SegmentSamples final : public SampleSource {
  public:
    SegmentSamples(std::shared_ptr<const RecordFile> file, std::string path, char sample_type,
                   std::vector<RecordPlace> records)
        : file_(std::move(file)),
          path_(std::move(path)),
          sample_type_(sample_type),
          records_(std::move(records)) {
        firsts_.reserve(records_.size());
        for (const RecordPlace& record : records_) {
            firsts_.push_back(count_);
            count_ += static_cast<std::size_t>(record.samples);
        }
    }

    std::size_t Count() const override { return count_; }

    void Read(std::size_t first, std::span<float> out) const override {
        if (first > count_ || out.size() > count_ - first) {
            throw UserError("The trace has no samples beyond sample " + std::to_string(count_) +
                            ".");
        }
        if (out.empty()) {
            return;
        }
        auto k = static_cast<std::size_t>(std::upper_bound(firsts_.begin(), firsts_.end(), first) -
                                          firsts_.begin() - 1);
        std::vector<char> bytes;
        RecordHolder holder;
        for (std::size_t done = 0; done < out.size(); ++k) {
            const RecordPlace& place = records_[k];
            const MSRecord& record = Decode(place, bytes, holder);
            const std::size_t skip = first + done - firsts_[k];
            const std::size_t take =
                std::min(static_cast<std::size_t>(place.samples) - skip, out.size() - done);
            Convert(record, skip, out.subspan(done, take));
            done += take;
        }
    }

  private:
    const MSRecord& Decode(const RecordPlace& place, std::vector<char>& bytes,
                           RecordHolder& holder) const {
        bytes.assign(static_cast<std::size_t>(place.length) + kSlack, 0);
        const bool read = file_->ReadAt(
            place.offset, std::span<char>(bytes.data(), static_cast<std::size_t>(place.length)));
        if (!read || holder.Parse(bytes.data(), place.length) != MS_NOERROR ||
            holder.record->sampletype != sample_type_ ||
            holder.record->numsamples != place.samples) {
            throw UserError("Cannot read " + path_ +
                            " as miniSEED: " + Refusal::RecordName(place.number, place.offset) +
                            " no longer holds the samples it held when the file was opened (has "
                            "the file changed?).");
        }
        return *holder.record;
    }

    void Convert(const MSRecord& record, std::size_t skip, std::span<float> out) const {
        if (sample_type_ == 'i') {
            const auto* in = static_cast<const std::int32_t*>(record.datasamples) + skip;
            std::transform(in, in + out.size(), out.begin(),
                           [](std::int32_t v) { return static_cast<float>(v); });
        } else if (sample_type_ == 'f') {
            const auto* in = static_cast<const float*>(record.datasamples) + skip;
            std::copy(in, in + out.size(), out.begin());
        } else {
            const auto* in = static_cast<const double*>(record.datasamples) + skip;
            std::transform(in, in + out.size(), out.begin(), RoundToSingle);
        }
    }

    std::shared_ptr<const RecordFile> file_;
    std::string path_;  // as shown in messages
    char sample_type_;
    std::vector<RecordPlace> records_;
    std::vector<std::size_t> firsts_;  // index of each record's first sample
    std::size_t count_ = 0;
};

// One segment as the index builds it: its records in time order.
struct SegmentRecords {
    char sample_type = 'i';
    std::deque<RecordPlace> records;
    std::vector<std::string> notes;
};

// The segments of a file as the library's list of traces, which finds the
// segment a record follows on from (or precedes) with the library's own
// tolerances. Records join it without their samples: each segment keeps
// only its codes, rate and times, and the records go to the index.
class SegmentGroup {
  public:
    SegmentGroup() : group_(mst_initgroup(nullptr)) {}
    ~SegmentGroup() { mst_freegroup(&group_); }
    SegmentGroup(const SegmentGroup&) = delete;
    SegmentGroup& operator=(const SegmentGroup&) = delete;

    struct Joined {
        bool joined = false;    // false when the record's end time cannot be worked out
        std::size_t index = 0;  // the segment's, in the order segments were started
        bool before = false;    // the record goes before the segment's records
        bool is_new = false;
    };

    // Adds the decoded `record` to the segment of its channel that it
    // follows on from or precedes, or starts a new segment, as the library
    // groups records into traces.
    Joined Add(MSRecord& record) {
        Joined joined;
        const hptime_t end = msr_endtime(&record);
        if (end == HPTERROR) {
            return joined;
        }
        flag whence = 0;
        // A change of quality code starts a segment: the code must match.
        MSTrace* trace =
            mst_findadjacent(group_, &whence, record.dataquality, record.network, record.station,
                             record.location, record.channel, record.samprate,
                             kDefaultRateTolerance, record.starttime, end, kDefaultTimeTolerance);
        joined.joined = true;
        if (trace == nullptr) {
            trace = mst_init(nullptr);
            if (trace == nullptr) {
                throw std::bad_alloc();
            }
            trace->dataquality = record.dataquality;
            std::memcpy(trace->network, record.network, sizeof trace->network);
            std::memcpy(trace->station, record.station, sizeof trace->station);
            std::memcpy(trace->location, record.location, sizeof trace->location);
            std::memcpy(trace->channel, record.channel, sizeof trace->channel);
            trace->starttime = record.starttime;
            trace->endtime = end;
            trace->samprate = record.samprate;
            trace->sampletype = record.sampletype;
            mst_addtracetogroup(group_, trace);
            index_of_.emplace(trace, index_of_.size());
            joined.is_new = true;
        } else if (whence == 2) {
            trace->starttime = record.starttime;
            joined.before = true;
        } else {
            trace->endtime = end;
        }
        trace->samplecnt += record.samplecnt;
        joined.index = index_of_.at(trace);
        return joined;
    }

    const MSTraceGroup& Group() const { return *group_; }
    std::size_t IndexOf(const MSTrace* trace) const { return index_of_.at(trace); }

  private:
    MSTraceGroup* group_ = nullptr;
    std::map<const MSTrace*, std::size_t> index_of_;
};

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

std::string UniqueTitle(const std::string& name, std::set<std::string>& taken) {
    std::string title = name;
    const std::string stem = name.substr(0, name.size() - 4);  // without ".SAC"
    for (int n = 1; taken.count(title) != 0; ++n) {
        title = stem + "-" + std::to_string(n) + ".SAC";
    }
    taken.insert(title);
    return title;
}

// The end of a file that stops in the middle of a record.
struct CutRecord {
    std::int64_t number = 0;
    std::int64_t offset = 0;
    std::int64_t present = 0;  // bytes of it in the file
    std::int64_t length = 0;   // bytes it claims, 0 when unknown

    std::string Text() const {
        std::string text = "the file ends in the middle of " + Refusal::RecordName(number, offset);
        if (length > 0) {
            text += ", which claims " + std::to_string(length) + " bytes";
        }
        return text + " (it is truncated)";
    }
};

// What the records of a file come to.
struct FileIndex {
    std::vector<SegmentRecords> segments;  // in the order of the library's list
    std::optional<CutRecord> cut;
    std::optional<std::size_t> last_segment;  // that of the last record with samples
};

std::string NotARecord(std::span<const char> head) {
    const std::string why = WhyNotMiniSeed(std::span<const unsigned char>(
        reinterpret_cast<const unsigned char*>(head.data()), head.size()));
    return ReasonInWords(MS_NOTSEED) + (why.empty() ? "" : " (" + why + ")");
}

// Reads the record at `offset`: finds its length, decodes and checks it. A
// record the file ends inside is reported in `cut` (nothing is decoded).
// False at the end of the records: the end of the file, zero padding, or a
// cut record.
bool NextRecord(SequentialWindow& window, std::int64_t size, std::int64_t offset,
                std::int64_t number, const Refusal& refusal, RecordHolder& holder,
                std::int32_t& length, std::optional<CutRecord>& cut) {
    const std::int64_t remaining = size - offset;
    if (remaining <= 0) {
        return false;
    }
    const std::span<char> head = window.At(offset, MAXRECLEN, refusal);
    if (remaining < MINRECLEN) {
        if (window.OnlyZerosFrom(offset, refusal)) {
            return false;
        }
        if (static_cast<std::size_t>(remaining) >= kFixedHeaderBytes &&
            !MS_ISVALIDHEADER(head.data())) {
            refusal.AtRecord(number, offset, NotARecord(head));
        }
        cut = CutRecord{number, offset, remaining, 0};
        return false;
    }
    library_messages.Clear();
    int detected = ms_detect(head.data(), static_cast<int>(head.size()));
    if (detected < 0) {
        if (window.OnlyZerosFrom(offset, refusal)) {
            return false;
        }
        if (!MS_ISVALIDHEADER(head.data())) {
            refusal.AtRecord(number, offset, NotARecord(head));
        }
        refusal.AtRecord(number, offset, "its chain of blockettes is damaged");
    }
    if (detected == 0) {
        // No blockette 1000 and no record after it: the rest of the file is
        // the record when its length can be a record's, as the library reads
        // a file's last record.
        if (remaining > MAXRECLEN || !IsPowerOfTwo(remaining)) {
            refusal.AtRecord(number, offset,
                             "its length cannot be found: it has no blockette 1000 and no record "
                             "follows it");
        }
        detected = static_cast<int>(remaining);
    }
    if (detected < MINRECLEN || detected > MAXRECLEN) {
        refusal.AtRecord(number, offset, ReasonInWords(MS_OUTOFRANGE));
    }
    if (detected > remaining) {
        cut = CutRecord{number, offset, remaining, detected};
        return false;
    }
    length = detected;
    const int code = holder.Parse(head.data(), length);
    if (code != MS_NOERROR) {
        refusal.AtRecord(number, offset, ReasonInWords(code));
    }
    CheckRecord(*holder.record, number, offset, refusal);
    return true;
}

FileIndex IndexRecords(const RecordFile& file, SegmentGroup& group, const Refusal& refusal) {
    FileIndex index;
    SequentialWindow window(file);
    RecordHolder holder;
    std::size_t notes = 0;
    std::size_t notes_left_out = 0;
    std::int64_t offset = 0;
    std::int32_t length = 0;
    for (std::int64_t number = 1;
         NextRecord(window, file.Size(), offset, number, refusal, holder, length, index.cut);
         ++number, offset += length) {
        MSRecord& record = *holder.record;
        if (record.samplecnt == 0 || !HasNumericSamples(record.sampletype)) {
            continue;
        }
        const std::vector<std::string> warnings = library_messages.kept;
        const SegmentGroup::Joined joined = group.Add(record);
        if (!joined.joined) {
            refusal.AtRecord(number, offset,
                             "its samples cannot be joined to the channel's other records");
        }
        if (joined.is_new) {
            index.segments.emplace_back();
            index.segments.back().sample_type = record.sampletype;
        }
        SegmentRecords& segment = index.segments[joined.index];
        if (segment.sample_type != record.sampletype) {
            refusal.AtRecord(number, offset,
                             "its samples cannot be joined to the channel's other records (they "
                             "are of another type)");
        }
        const RecordPlace place{number, offset, length,
                                static_cast<std::int32_t>(record.samplecnt)};
        if (joined.before) {
            segment.records.push_front(place);
        } else {
            segment.records.push_back(place);
        }
        index.last_segment = joined.index;
        for (const std::string& warning : warnings) {
            if (notes == kNotesPerFile) {
                ++notes_left_out;
                continue;
            }
            segment.notes.push_back(Refusal::RecordName(number, offset) + ": " + warning);
            ++notes;
        }
    }
    if (index.last_segment && notes_left_out > 0) {
        index.segments[*index.last_segment].notes.push_back(
            std::to_string(notes_left_out) + " more warnings of the library are left out");
    }
    return index;
}

}  // namespace

std::string WhyNotMiniSeed(std::span<const unsigned char> head) {
    QuietLibraryLog();
    if (head.size() < kFixedHeaderBytes) {
        return "it is shorter than a record header (48 bytes)";
    }
    const auto is_number_byte = [](unsigned char c) { return std::isdigit(c) || c == ' ' || !c; };
    if (!std::all_of(head.begin(), head.begin() + 6, is_number_byte)) {
        return "its first 6 bytes are not a record's sequence number";
    }
    if (!MS_ISDATAINDICATOR(head[6])) {
        return "its 7th byte is not a record's quality code (D, R, Q or M)";
    }
    if (head[7] != ' ' && head[7] != 0) {
        return "its 8th byte is not the blank a record header has there";
    }
    if (head[24] > 23 || head[25] > 59 || head[26] > 60) {
        return "the start time in its header is impossible";
    }
    std::vector<char> copy(head.begin(), head.begin() + static_cast<std::ptrdiff_t>(
                                                            std::min(head.size(), kDetectBytes)));
    const auto length = static_cast<int>(copy.size());
    copy.resize(copy.size() + kSlack, 0);
    library_messages.Clear();
    if (ms_detect(copy.data(), length) < 0) {
        return "its chain of blockettes is damaged";
    }
    return {};
}

bool LooksLikeMiniSeed(std::span<const unsigned char> head) {
    return WhyNotMiniSeed(head).empty();
}

bool IsMiniSeedFile(const std::filesystem::path& path) {
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) {
        return false;
    }
    struct stat status {};
    std::vector<unsigned char> head(kDetectBytes);
    ssize_t got = -1;
    if (::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode)) {
        got = ::pread(descriptor, head.data(), head.size(), 0);
    }
    ::close(descriptor);
    if (got < 0) {
        return false;
    }
    head.resize(static_cast<std::size_t>(got));
    return LooksLikeMiniSeed(head);
}

std::vector<Segment> ReadMiniSeed(const std::filesystem::path& path) {
    QuietLibraryLog();
    library_messages.Clear();
    const Refusal refusal(path);
    auto file = std::make_shared<const RecordFile>(path, refusal);
    if (file->Size() == 0) {
        refusal.Throw("the file is empty");
    }
    SegmentGroup group;
    FileIndex index = IndexRecords(*file, group, refusal);
    library_messages.Clear();
    if (index.cut && !index.last_segment) {
        refusal.Throw(index.cut->Text() + ", and no whole record before it holds samples");
    }
    if (index.cut) {
        const CutRecord& cut = *index.cut;
        index.segments[*index.last_segment].notes.push_back(
            cut.Text() + ": its " + std::to_string(cut.present) +
            " bytes there are left out, and the records before it are read");
    }

    std::vector<Segment> segments;
    std::set<std::string> titles;
    const std::string shown_path = TerminalText(path.string());
    for (const MSTrace* trace = group.Group().traces; trace != nullptr; trace = trace->next) {
        SegmentRecords& records = index.segments[group.IndexOf(trace)];
        std::int64_t count = 0;
        for (const RecordPlace& place : records.records) {
            count += place.samples;
        }
        if (count <= 0) {
            continue;
        }
        if (count > std::numeric_limits<std::int32_t>::max()) {
            refusal.Throw("a segment has more samples than a SAC trace can hold");
        }
        Segment segment;
        segment.source = SourceId{trace->network, trace->station, trace->location, trace->channel,
                                  trace->dataquality};
        segment.start = trace->starttime;
        segment.end = trace->endtime;
        segment.rate = trace->samprate;
        segment.count = static_cast<std::int32_t>(count);
        segment.header = SegmentHeader(segment.source, segment.start, segment.rate, segment.count);
        segment.title = UniqueTitle(SegmentFileName(segment.source, segment.start), titles);
        segment.samples = std::make_shared<const SegmentSamples>(
            file, shown_path, records.sample_type,
            std::vector<RecordPlace>(records.records.begin(), records.records.end()));
        segment.notes = std::move(records.notes);
        segments.push_back(std::move(segment));
    }
    if (segments.empty()) {
        refusal.Throw("it holds no samples");
    }
    FillGaps(segments);
    return segments;
}

}  // namespace tremorline::mseed
