// SPDX-License-Identifier: MIT
#include "trace/header_summary.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

#include "common/control_bytes.h"
#include "trace/number_forms.h"

namespace tremorline::trace {
namespace {

class SummaryWriter {
  public:
    explicit SummaryWriter(std::string_view line_end) : line_end_(line_end) {}

    SummaryWriter& Add(std::string_view text) {
        text_ += text;
        return *this;
    }
    SummaryWriter& EndLine() { return Add(line_end_); }
    SummaryWriter& Line(std::string_view label, std::string_view value) {
        return Add(label).Add(value).EndLine();
    }

    // A group's label line, preceded by an empty line end: group number, two
    // spaces and the label at its full width.
    SummaryWriter& GroupLabel(std::int32_t number, std::string_view label) {
        return EndLine().Add(GroupNumberText(number)).Add("  ").Add(label).EndLine();
    }

    std::string Take() { return std::move(text_); }

  private:
    std::string_view line_end_;
    std::string text_;
};

// Lines 2 to 19: the times and the values that matter most.
void AddTraceLines(SummaryWriter& out, const TraceInfo& info) {
    out.Line("ORIGIN: ", info.RefTimeText() + MillisecondFractionText(info.NZMSEC));
    out.Line("EVENT: ", info.NoEventTime ? "No event time available" : info.EventTimeText());
    out.Line("Sample Interval ", FloatText(info.DELTA));
    out.Line("Begin ", FloatText(info.B));
    out.Line("End ", FloatText(info.E));
    out.Line("Event offset ", FloatText(info.O));
    out.Line("Station LAT ", FloatText(info.STLA));
    out.Line("Station LON ", FloatText(info.STLO));
    out.Line("Station ELEV ", FloatText(info.STEL));
    out.Line("Event LAT ", FloatText(info.EVLA));
    out.Line("Event LON ", FloatText(info.EVLO));
    out.Line("Event DEPTH ", FloatText(info.EVDP));
    out.Line("Component ", info.KCMPNM);
    out.Line("Component AZ  ", FloatText(info.CMPAZ));
    out.Line("Cmp Incidence ", FloatText(info.CMPINC));
    out.Line("Sensor Type ", IntegerText(info.IDEP));
    out.Line("Station Name ", info.KSTNM);
    out.Line("Network  ", info.KNETWK);
}

// Header variable number of a text slot: KEVNM fills slots 1 and 2 as one
// field, so slots from 3 on are numbered 109 + slot.
std::int32_t TextSlotNumber(std::size_t slot) {
    return slot == 0 ? 110 : 109 + static_cast<std::int32_t>(slot);
}

// The listing of every header value, five to a group under its label line;
// "---" closes the reals and the integers.
void AddHeaderListing(SummaryWriter& out, const sac::SacHeader& header) {
    for (std::size_t i = 0; i < sac::kRealCount; ++i) {
        if (i % 5 == 0) {
            out.GroupLabel(static_cast<std::int32_t>(i), sac::RealFieldLabels[i / 5]);
        }
        out.Add(FloatText(header.reals[i])).Add(", ");
    }
    out.EndLine().Add("---");
    for (std::size_t j = 0; j < sac::kIntegerCount; ++j) {
        if (j % 5 == 0) {
            out.GroupLabel(static_cast<std::int32_t>(70 + j), sac::IntegerFieldLabels[j / 5]);
        }
        out.Add(IntegerText(header.ints[j])).Add(", ");
    }
    out.EndLine().Add("---");
    for (std::size_t s = 0; s < sac::kTextSlotCount; ++s) {
        if (s % 5 == 0) {
            out.GroupLabel(TextSlotNumber(s), sac::TextFieldLabels[s / 5]);
        }
        out.Add(std::string_view(header.texts[s].data(), sac::kTextSlotSize));
    }
    out.EndLine();
}

}  // namespace

std::string HeaderSummaryText(std::string_view title, const sac::SacHeader& header,
                              const TraceInfo& info, std::string_view line_end) {
    SummaryWriter out(line_end);
    out.Line(title, "");
    AddTraceLines(out, info);
    AddHeaderListing(out, header);
    return out.Take();
}

std::string SummaryForTerminal(std::string_view summary) {
    return EscapeControlBytes(summary, "\r\n\t");
}

}  // namespace tremorline::trace
