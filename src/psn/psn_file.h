// SPDX-License-Identifier: MIT
#pragma once

// Naming and writing a PSN Type 4 file.

#include <filesystem>
#include <functional>
#include <span>
#include <string>

#include "common/atomic_file.h"
#include "common/progress_stage.h"
#include "common/sample_source.h"
#include "psn/psn_records.h"
#include "trace/trace_info.h"

namespace tremorline::psn {

// The file's length for `npts` samples: 232 + 4 * npts.
std::uint64_t PsnFileSize(std::int32_t npts);

// The file name: YYMMDD.hhmmss. of RefTime (for a year of other than four
// digits, the characters at the same places of its MM/DD/YYYY hh:mm:ss text),
// then the trimmed station name, the component letter and ".psn"; for example
// 050203.040506.ABCZ.psn. Throws UserError when the station name
// would put a folder separator into the name.
std::string PsnFileName(const trace::TraceInfo& info, char component_letter);

using ::tremorline::HoldsData;

// Asked when, as the new file is put in place, a file holding data turns out
// to have taken its name (another run writing the same name at the same
// time, say); true replaces that file, false keeps it.
using ReplaceTaken = std::function<bool()>;

// Writes the records, the samples and the trailer to `path` as a whole: the
// bytes go to a temporary file beside it, which replaces `path` only when
// complete. On failure `path` is as it was and UserError names the file and
// the system's reason. `samples` must hold the header's SampleCount values.
// Without `replace_taken` any file of that name is replaced. With it, the
// file is put in place only if the name is free (or holds an empty file) at
// that moment, or `replace_taken` agrees; returns false when the other file
// was kept, true when the new file was written. Each block of samples
// written is a step of `stage`; a stop asked for before the file is complete
// leaves `path` as it was.
bool WritePsnFile(const std::filesystem::path& path, const PSNRecords& records,
                  std::span<const float> samples, const ReplaceTaken& replace_taken = {},
                  const ProgressStage& stage = {});

// As above, with the samples read from `samples` a block at a time while the
// file is written, so that a trace of any length takes a few megabytes. A
// read that fails leaves `path` as it was.
bool WritePsnFile(const std::filesystem::path& path, const PSNRecords& records,
                  const SampleSource& samples, const ReplaceTaken& replace_taken = {},
                  const ProgressStage& stage = {});

}  // namespace tremorline::psn
