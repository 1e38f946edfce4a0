// SPDX-License-Identifier: MIT
#pragma once

// A SAC file's bytes, little-endian, as a SAC writer lays them out: the
// 632-byte header, then the samples.

#include <span>
#include <vector>

#include "common/byte_order.h"
#include "sac/sac_header.h"

namespace tremorline::testing {

inline std::vector<unsigned char> SacFileBytes(const sac::SacHeader& header,
                                               std::span<const float> samples) {
    std::vector<unsigned char> out(sac::kHeaderSize + sac::kSampleSize * samples.size());
    for (std::size_t i = 0; i < sac::kRealCount; ++i) {
        PutLEF32(out, 4 * i, header.reals[i]);
    }
    for (std::size_t j = 0; j < sac::kIntegerCount; ++j) {
        PutLEI32(out, sac::kIntegerOffset + 4 * j, header.ints[j]);
    }
    for (std::size_t s = 0; s < sac::kTextSlotCount; ++s) {
        for (std::size_t k = 0; k < sac::kTextSlotSize; ++k) {
            out[sac::kTextOffset + sac::kTextSlotSize * s + k] =
                static_cast<unsigned char>(header.texts[s][k]);
        }
    }
    for (std::size_t i = 0; i < samples.size(); ++i) {
        PutLEF32(out, sac::kSampleOffset + sac::kSampleSize * i, samples[i]);
    }
    return out;
}

}  // namespace tremorline::testing
