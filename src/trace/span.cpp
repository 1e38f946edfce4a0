// SPDX-License-Identifier: MIT
#include "trace/span.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <system_error>
#include <utility>

#include "common/rounding.h"
#include "common/user_error.h"
#include "sac/sac_header.h"
#include "trace/trace_times.h"

namespace tremorline::trace {
namespace {

constexpr std::size_t kMaxFractionDigits = 9;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The number written by exactly `count` digits at `at` of `text`.
std::optional<std::int32_t> Digits(std::string_view text, std::size_t at, std::size_t count) {
    if (at + count > text.size()) {
        return std::nullopt;
    }
    std::int32_t value = 0;
    for (std::size_t k = at; k < at + count; ++k) {
        if (!IsDigit(text[k])) {
            return std::nullopt;
        }
        value = value * 10 + (text[k] - '0');
    }
    return value;
}

// YYYY-MM-DDTHH:MM:SS[.f...][Z]
std::optional<SpanTime> ParseUtcTime(std::string_view text) {
    constexpr std::size_t kWholeLength = 19;  // up to the seconds
    if (text.size() < kWholeLength || text[4] != '-' || text[7] != '-' || text[10] != 'T' ||
        text[13] != ':' || text[16] != ':') {
        return std::nullopt;
    }
    const auto year = Digits(text, 0, 4);
    const auto month = Digits(text, 5, 2);
    const auto day = Digits(text, 8, 2);
    const auto hour = Digits(text, 11, 2);
    const auto minute = Digits(text, 14, 2);
    const auto second = Digits(text, 17, 2);
    if (!year || !month || !day || !hour || !minute || !second) {
        return std::nullopt;
    }
    SpanTime time;
    time.utc = true;
    time.moment = {*year, *month, *day, *hour, *minute, *second};
    if (!IsValidDateTime(time.moment)) {
        return std::nullopt;
    }
    std::string_view rest = text.substr(kWholeLength);
    if (!rest.empty() && rest.back() == 'Z') {
        rest.remove_suffix(1);
    }
    if (rest.empty()) {
        return time;
    }
    if (rest.front() != '.' || rest.size() < 2 || rest.size() > kMaxFractionDigits + 1) {
        return std::nullopt;
    }
    double scale = 0.1;
    for (const char c : rest.substr(1)) {
        if (!IsDigit(c)) {
            return std::nullopt;
        }
        time.fraction += (c - '0') * scale;
        scale /= 10;
    }
    return time;
}

// A plain decimal number, with an optional sign and exponent.
std::optional<SpanTime> ParseSeconds(std::string_view text) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    // from_chars would also take "inf" and "nan"; a number starts with a
    // digit, a point or a minus sign.
    if (text.empty() || !(IsDigit(text.front()) || text.front() == '.' || text.front() == '-')) {
        return std::nullopt;
    }
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc{} || stop != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    SpanTime time;
    time.seconds = value;
    return time;
}

// A number of seconds for a message: to the microsecond, trailing zeros cut.
std::string SecondsText(double seconds) {
    std::array<char, 64> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "%.6f", seconds);
    std::string text(buffer.data());
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') {
        text.pop_back();
    }
    return text == "-0" ? "0" : text;
}

// The first index i in [0, count] with `reaches(i)` true, for a test that is
// false below some index and true from it on, searched near `guess`.
template <typename Test>
std::size_t FirstReaching(double guess, std::size_t count, Test reaches) {
    const double clamped = std::clamp(guess, 0.0, static_cast<double>(count));
    auto index = static_cast<std::size_t>(clamped);
    while (index > 0 && reaches(index - 1)) {
        --index;
    }
    while (index < count && !reaches(index)) {
        ++index;
    }
    return index;
}

}  // namespace

std::optional<SpanTime> ParseSpanTime(std::string_view text) {
    if (text.find('T') != std::string_view::npos) {
        return ParseUtcTime(text);
    }
    return ParseSeconds(text);
}

double SecondsAfterReference(const TraceInfo& info, const SpanTime& time) {
    if (!time.utc) {
        return time.seconds;
    }
    const std::int64_t whole = SecondsBetween(info.RefTime, time.moment);
    return static_cast<double>(whole) + (time.fraction - static_cast<double>(info.NZMSEC) / 1000.0);
}

std::optional<bool> IsBefore(const SpanTime& start, const SpanTime& end) {
    if (start.utc != end.utc) {
        return std::nullopt;
    }
    if (!start.utc) {
        return start.seconds < end.seconds;
    }
    const std::int64_t whole = SecondsBetween(start.moment, end.moment);
    return whole > 0 || (whole == 0 && start.fraction < end.fraction);
}

SampleSpan SamplesBetween(const TimeScale& scale, std::size_t sample_count, double start,
                          double end) {
    if (!(start <= end)) {
        return {};
    }
    const auto time_of = [&scale](std::size_t i) {
        return scale.SecondsAt(static_cast<double>(i));
    };
    // The division only guesses; the sample times themselves decide, so that
    // the edges follow the rule exactly whatever the division rounded to.
    const std::size_t first = FirstReaching(std::ceil(scale.PositionAt(start)), sample_count,
                                            [&](std::size_t i) { return time_of(i) >= start; });
    const std::size_t past_last = FirstReaching(std::floor(scale.PositionAt(end)) + 1, sample_count,
                                                [&](std::size_t i) { return time_of(i) > end; });
    if (past_last <= first) {
        return {std::min(first, sample_count), 0};
    }
    return {first, past_last - first};
}

std::string TraceExtentText(const LoadedTrace& trace) {
    const TimeScale scale = TraceTimeScale(trace.info.B, trace.info.DELTA);
    const std::size_t count = trace.samples ? trace.samples->Count() : 0;
    if (count == 0) {
        return "nowhere: it has no samples";
    }
    const double first = scale.SecondsAt(0);
    const double last = scale.SecondsAt(static_cast<double>(count - 1));
    std::string text =
        "from " + SecondsText(first) + " to " + SecondsText(last) + " s after the reference time";
    const auto from = UtcTimeText(trace.info, first);
    const auto to = UtcTimeText(trace.info, last);
    if (from && to) {
        text += " (" + *from + " to " + *to + " UTC)";
    }
    return text;
}

SampleSpan RequireSamplesBetween(const LoadedTrace& trace, double start, double end) {
    const TimeScale scale = TraceTimeScale(trace.info.B, trace.info.DELTA);
    if (!scale.in_seconds) {
        throw UserError("The trace has no usable sample interval (DELTA " +
                        SecondsText(trace.info.DELTA) + "), so no span of it can be taken.");
    }
    const std::size_t count = trace.samples ? trace.samples->Count() : 0;
    const SampleSpan span = SamplesBetween(scale, count, start, end);
    if (span.count == 0) {
        if (count == 0) {
            throw UserError("The trace has no samples, so no span of it can be taken.");
        }
        // A span open at one end is told by its other edge alone.
        std::string where;
        if (std::isfinite(start) && std::isfinite(end)) {
            where = "between " + SecondsText(start) + " and " + SecondsText(end);
        } else if (std::isfinite(start)) {
            where = "at or later than " + SecondsText(start);
        } else {
            where = "at or earlier than " + SecondsText(end);
        }
        throw UserError("No sample falls " + where +
                        " s after the reference time: the trace lies " + TraceExtentText(trace) +
                        ".");
    }
    return span;
}

SpanSampleSource::SpanSampleSource(std::shared_ptr<const SampleSource> whole, SampleSpan span)
    : whole_(std::move(whole)), span_(span) {
    const std::size_t count = whole_ ? whole_->Count() : 0;
    if (span_.first > count || span_.count > count - span_.first) {
        throw UserError("The span runs past the trace's last sample.");
    }
}

void SpanSampleSource::Read(std::size_t first, std::span<float> out) const {
    if (first > span_.count || out.size() > span_.count - first) {
        throw UserError("The span has no samples beyond sample " + std::to_string(span_.count) +
                        ".");
    }
    whole_->Read(span_.first + first, out);
}

LoadedTrace SpanTrace(const LoadedTrace& trace, SampleSpan span) {
    const std::size_t whole = trace.samples ? trace.samples->Count() : 0;
    if (span.first == 0 && span.count == whole && whole > 0) {
        // All of it: the trace as it is, its header to the last bit.
        return trace;
    }
    LoadedTrace cut = trace;
    cut.samples = std::make_shared<SpanSampleSource>(trace.samples, span);
    const TimeScale scale = TraceTimeScale(trace.info.B, trace.info.DELTA);
    const std::size_t last = span.count > 0 ? span.first + span.count - 1 : span.first;
    // E follows from the cut's own B, DELTA and NPTS, as a reader of the cut
    // header works it out: B + (NPTS - 1) * DELTA, rounded once.
    const float begin = RoundToSingle(scale.SecondsAt(static_cast<double>(span.first)));
    const float end = RoundToSingle(static_cast<double>(begin) +
                                    static_cast<double>(last - span.first) * scale.delta);
    const std::int32_t npts = NarrowWhole<std::int32_t>(static_cast<double>(span.count))
                                  .value_or(std::numeric_limits<std::int32_t>::max());
    auto& reals = cut.header.reals;
    reals[sac::real::B] = begin;
    reals[sac::real::E] = end;
    reals[sac::real::DEPMIN] = sac::kUndefined;
    reals[sac::real::DEPMAX] = sac::kUndefined;
    reals[sac::real::DEPMEN] = sac::kUndefined;
    cut.header.ints[sac::integer::NPTS] = npts;
    cut.info.B = begin;
    cut.info.E = end;
    cut.info.NPTS = npts;
    return cut;
}

void SetDependentLevels(sac::SacHeader& header, std::span<const float> samples) {
    float low = std::numeric_limits<float>::infinity();
    float high = -std::numeric_limits<float>::infinity();
    double sum = 0;
    std::size_t finite = 0;
    for (const float value : samples) {
        if (!std::isfinite(value)) {
            continue;
        }
        low = std::min(low, value);
        high = std::max(high, value);
        sum += value;
        ++finite;
    }
    auto& reals = header.reals;
    if (finite == 0) {
        reals[sac::real::DEPMIN] = sac::kUndefined;
        reals[sac::real::DEPMAX] = sac::kUndefined;
        reals[sac::real::DEPMEN] = sac::kUndefined;
        return;
    }
    reals[sac::real::DEPMIN] = low;
    reals[sac::real::DEPMAX] = high;
    reals[sac::real::DEPMEN] = RoundToSingle(sum / static_cast<double>(finite));
}

}  // namespace tremorline::trace
