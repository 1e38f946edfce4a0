// SPDX-License-Identifier: MIT
#pragma once

// The plain-text summary of a loaded trace shown in the main window and
// printed by the batch tool.

#include <string>
#include <string_view>

#include "sac/sac_header.h"
#include "trace/trace_info.h"

namespace tremorline::trace {

// The window's line end. The batch tool passes "\n" instead.
inline constexpr std::string_view kSummaryLineEnd = "\r\n";

// The whole summary: the title line, the times and labelled values taken from
// `info` (already computed), and the listing of all 134 header values in
// groups of five. Every line, the last included, ends with `line_end`; the
// header texts are copied byte for byte.
std::string HeaderSummaryText(std::string_view title, const sac::SacHeader& header,
                              const TraceInfo& info, std::string_view line_end = kSummaryLineEnd);

// The summary as a terminal should get it: control bytes from the header
// texts (an escape sequence, say) written as \x1b and the like, so that they
// cannot act on the terminal; CR, LF and TAB stay. Written elsewhere, the
// summary keeps its bytes as they are.
std::string SummaryForTerminal(std::string_view summary);

}  // namespace tremorline::trace
