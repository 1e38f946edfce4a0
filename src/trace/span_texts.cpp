// SPDX-License-Identifier: MIT
#include "trace/span_texts.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <optional>

#include "trace/axes.h"

namespace tremorline::trace {
namespace {

constexpr float kMillisecond = 0.001f;

std::string NumberText(double value) {
    std::array<char, 64> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "%.6f", value);
    std::string text(buffer.data());
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') {
        text.pop_back();
    }
    return text == "-0" ? "0" : text;
}

bool IsUtf8Continuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The title less its last four characters (its extension), never cut
// inside a UTF-8 character; a title of four characters or fewer is kept.
std::string TitleStem(std::string_view title) {
    std::size_t end = title.size();
    for (int dropped = 0; dropped < 4 && end > 0; ++dropped) {
        --end;
        while (end > 0 && IsUtf8Continuation(title[end])) {
            --end;
        }
    }
    return std::string(title.substr(0, end == 0 ? title.size() : end));
}

// "20050201T030406.750" from "2005-02-01 03:04:06.750".
std::string CompactTime(std::string text) {
    std::string compact;
    for (const char c : text) {
        if (c == ' ') {
            compact += 'T';
        } else if (c != '-' && c != ':') {
            compact += c;
        }
    }
    return compact;
}

}  // namespace

int TimeDecimalsFor(float delta) {
    return std::isfinite(delta) && delta > 0 && delta < kMillisecond ? 6 : 3;
}

std::string SelectionText(const LoadedTrace& trace, SampleSpan span) {
    const std::size_t last = span.count > 0 ? span.first + span.count - 1 : span.first;
    const std::string count =
        std::to_string(span.count) + (span.count == 1 ? " sample" : " samples");
    const TimeScale scale = TraceTimeScale(trace.info.B, trace.info.DELTA);
    const int decimals = TimeDecimalsFor(trace.info.DELTA);
    const double start = scale.SecondsAt(static_cast<double>(span.first));
    const double end = scale.SecondsAt(static_cast<double>(last));
    const std::optional<std::string> from = UtcTimeText(trace.info, start, decimals);
    std::optional<std::string> to = UtcTimeText(trace.info, end, decimals);
    if (!scale.in_seconds || !from || !to) {
        return "samples " + std::to_string(span.first) + " to " + std::to_string(last) + ", " +
               count;
    }
    constexpr std::size_t kDateLength = 11;  // "2005-02-01 "
    if (to->compare(0, kDateLength, *from, 0, kDateLength) == 0) {
        to = to->substr(kDateLength);
    }
    return *from + " to " + *to + " UTC, " + NumberText(end - start) + " s, " + count;
}

std::string PointerText(const LoadedTrace& trace, std::size_t sample, float value) {
    const TimeScale scale = TraceTimeScale(trace.info.B, trace.info.DELTA);
    const double seconds = scale.SecondsAt(static_cast<double>(sample));
    std::string text;
    if (scale.in_seconds) {
        if (const auto utc = UtcTimeText(trace.info, seconds, TimeDecimalsFor(trace.info.DELTA))) {
            text = *utc + " UTC  ";
        }
        text += NumberText(seconds) + " s  ";
    }
    text += "sample " + std::to_string(sample) + "  ";
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.7g", static_cast<double>(value));
    return text + buffer + " " + AmplitudeUnit(trace.info.IDEP);
}

std::string SpanFileName(const LoadedTrace& trace, SampleSpan span, std::string_view extension) {
    const std::size_t last = span.count > 0 ? span.first + span.count - 1 : span.first;
    const TimeScale scale = TraceTimeScale(trace.info.B, trace.info.DELTA);
    const int decimals = TimeDecimalsFor(trace.info.DELTA);
    const auto from =
        UtcTimeText(trace.info, scale.SecondsAt(static_cast<double>(span.first)), decimals);
    const auto to = UtcTimeText(trace.info, scale.SecondsAt(static_cast<double>(last)), decimals);
    std::string name = TitleStem(trace.title) + "_";
    if (scale.in_seconds && from && to) {
        name += CompactTime(*from) + "-" + CompactTime(*to);
    } else {
        name += "samples" + std::to_string(span.first) + "-" + std::to_string(last);
    }
    return name + std::string(extension);
}

}  // namespace tremorline::trace
