#pragma once

// Naming and writing a PSN Type 4 file.

#include <filesystem>
#include <span>
#include <string>

#include "psn/psn_records.h"
#include "trace/trace_info.h"

namespace tremorline::psn {

// The file's length for `npts` samples: 232 + 4 * npts.
std::uint64_t PsnFileSize(std::int32_t npts);

// The file name: YYMMDD.hhmmss. of RefTime (a year of other than four
// digits keeps the odd form older versions gave it), then the trimmed station name, the component
// letter and ".psn"; for example 050203.040506.ABCZ.psn. Throws UserError when the station name
// would put a folder separator into the name.
std::string PsnFileName(const trace::TraceInfo& info, char component_letter);

// True when `path` is a file holding at least one byte: replacing it loses
// data, so the user is asked first. A missing or empty file is written
// without a question.
bool HoldsData(const std::filesystem::path& path);

// Writes the records, the samples and the trailer to `path` as a whole: the
// bytes go to a temporary file beside it, which replaces `path` only when
// complete. On failure `path` is as it was and UserError names the file and
// the system's reason. `samples` must hold the header's SampleCount values.
void WritePsnFile(const std::filesystem::path& path, const PSNRecords& records,
                  std::span<const float> samples);

}  // namespace tremorline::psn
