// SPDX-License-Identifier: MIT
#include "sac/sac_sample_source.h"

#include <algorithm>
#include <bit>
#include <string>

#include "common/byte_order.h"
#include "common/user_error.h"

namespace tremorline::sac {

SacSampleSource::SacSampleSource(std::shared_ptr<const TraceFile> file, ByteOrder order,
                                 std::int32_t npts)
    : file_(std::move(file)),
      order_(order),
      npts_(npts),
      count_(static_cast<std::size_t>(std::max(npts, 0))) {}

void SacSampleSource::Read(std::size_t first, std::span<float> out) const {
    if (first > count_ || out.size() > count_ - first) {
        throw UserError("The trace has no samples beyond sample " + std::to_string(count_) + ".");
    }
    const std::uint64_t needed = kSampleOffset + kSampleSize * static_cast<std::uint64_t>(count_);
    const std::uint64_t size = file_->Size();
    if (size < needed) {
        throw UserError("The trace file is too short for its " + std::to_string(npts_) +
                        " samples: it has " + std::to_string(size) + " bytes, " +
                        std::to_string(needed) + " are needed.");
    }
    std::span<unsigned char> raw(reinterpret_cast<unsigned char*>(out.data()), out.size_bytes());
    file_->ReadAt(kSampleOffset + kSampleSize * static_cast<std::uint64_t>(first), raw);
    // The bytes are now in `out` in file order; bring them to memory order.
    const bool file_is_big = order_ == ByteOrder::Big;
    if (file_is_big != (std::endian::native == std::endian::big)) {
        for (float& value : out) {
            SwapReal(value);
        }
    }
}

}  // namespace tremorline::sac
