#include "cli/loaded_trace.h"

#include "common/user_error.h"
#include "trace/trace_times.h"

namespace tremorline::cli {

LoadedTrace::LoadedTrace(const std::filesystem::path& path)
    : file_(path), title_(path.filename().string()) {
    sac::LoadedHeader loaded = sac::ReadSacHeader(file_);
    if (loaded.order == sac::ByteOrder::Unknown) {
        throw UserError(std::string(kUnknownDataType) + ": " + sac::kUnknownDataTypeReason + ".");
    }
    order_ = loaded.order;
    header_ = loaded.header;
    trace::CopyTraceInfo(header_, info_);
    trace::ComputeTraceTimes(info_);
}

std::vector<float> LoadedTrace::ReadSamples() const {
    return sac::ReadSamples(&file_, info_.NPTS, swapped());
}

}  // namespace tremorline::cli
