// SPDX-License-Identifier: MIT
#pragma once

// The samples of a SAC file, read from the open file whenever they are asked
// for: whole, or a stretch at a time. They follow the 632-byte header as NPTS
// single-precision values in the file's byte order.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "common/sample_source.h"
#include "sac/sac_loader.h"
#include "sac/trace_file.h"

namespace tremorline::sac {

class SacSampleSource final : public SampleSource {
  public:
    // `order` is the file's known byte order; `npts` the header's NPTS (a
    // value below 1 gives no samples). The file is shared, so it stays open
    // for as long as anyone holds this source.
    SacSampleSource(std::shared_ptr<const TraceFile> file, ByteOrder order, std::int32_t npts);

    std::size_t Count() const override { return count_; }

    // Reads with pread, so several threads may read at once. Throws UserError
    // when the file is shorter than 632 + 4 * NPTS bytes (checked at every
    // read: the file may change while it is open), before reading anything.
    void Read(std::size_t first, std::span<float> out) const override;

  private:
    std::shared_ptr<const TraceFile> file_;
    ByteOrder order_;
    std::int32_t npts_;
    std::size_t count_;
};

}  // namespace tremorline::sac
