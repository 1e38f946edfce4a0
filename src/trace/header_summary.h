#pragma once

// The plain-text summary of a loaded trace shown in the main window and
// printed by the batch tool: lines end with CR LF.

#include <string>
#include <string_view>

#include "sac/sac_header.h"
#include "trace/trace_info.h"

namespace tremorline::trace {

// The whole summary: the title line, the times and labelled values taken from
// `info` (already computed), and the listing of all 134 header values.
std::string HeaderSummaryText(std::string_view title, const sac::SacHeader& header,
                              const TraceInfo& info);

}  // namespace tremorline::trace
