// SPDX-License-Identifier: MIT
#pragma once

// Filling the three PSN records from a loaded trace. Each build starts from
// an all-zero record, so nothing of an earlier trace reaches a later file.
// Every value comes from TraceInfo; a value that cannot be written throws
// UserError saying which header field is at fault.

#include <cstdint>
#include <span>
#include <string_view>

#include "psn/psn_records.h"
#include "trace/trace_info.h"

namespace tremorline::psn {

// The fixed header. Fails when KCMPNM is blank, NZMSEC is outside -2147 to
// 2147 (its nanoseconds would overflow), or DELTA is not a finite number
// above 0.
PSNHeader BuildPSNHeader(const trace::TraceInfo& info);

// The event block. Fails when MAG in hundredths does not fit 16 bits.
PSNEventBlock BuildPSNEventBlock(const trace::TraceInfo& info);

PSNEndBlock BuildPSNEndBlock();

// The three records of a PSN file for the trace, as Make PSN writes them.
PSNRecords BuildPSNRecords(const trace::TraceInfo& info);

// Copies `text` into `bytes`, stopping at the first NUL or space or at the
// end of `bytes`; every byte not copied is 0. "AB CD" gives A, B, 0, ...
void TextToBytes(std::string_view text, std::span<std::uint8_t> bytes);

// `text` without its leading and trailing spaces (spaces only: header texts
// are padded with spaces, and other bytes belong to the name).
std::string_view TrimSpaces(std::string_view text);

}  // namespace tremorline::psn
