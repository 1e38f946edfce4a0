#pragma once

// A trace file opened and loaded as the window loads it: byte order decided,
// header read and converted, TraceInfo filled and its times computed. The
// file stays open so that a command can read the samples.

#include <filesystem>
#include <string>
#include <vector>

#include "sac/sac_header.h"
#include "sac/sac_loader.h"
#include "sac/trace_file.h"
#include "trace/trace_info.h"

namespace tremorline::cli {

// The message for a file readable in neither byte order.
inline constexpr const char* kUnknownDataType = "Unknown data type";

class LoadedTrace {
  public:
    // Throws UserError when the file cannot be opened or read, is readable in
    // neither byte order ("Unknown data type"), or its times cannot be
    // worked out.
    explicit LoadedTrace(const std::filesystem::path& path);

    // The file's name without its folder, as the window's title line shows it.
    const std::string& title() const { return title_; }
    const sac::SacHeader& header() const { return header_; }
    const trace::TraceInfo& info() const { return info_; }
    bool swapped() const { return order_ == sac::ByteOrder::Big; }

    // The NPTS samples, in memory order; throws UserError as ReadSamples does.
    std::vector<float> ReadSamples() const;

  private:
    sac::TraceFile file_;
    std::string title_;
    sac::ByteOrder order_ = sac::ByteOrder::Unknown;
    sac::SacHeader header_;
    trace::TraceInfo info_;
};

}  // namespace tremorline::cli
