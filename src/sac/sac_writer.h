// SPDX-License-Identifier: MIT
#pragma once

// Laying out a SAC binary file in either byte order: the 632 header bytes
// (see sac_header.h for their layout), then the samples as 32-bit floats.

#include <array>
#include <cstddef>
#include <span>
#include <vector>

#include "sac/sac_header.h"
#include "sac/sac_loader.h"

namespace tremorline::sac {

namespace integer {
inline constexpr std::size_t IFTYPE = 15;
inline constexpr std::size_t LEVEN = 35;
}  // namespace integer

using HeaderBytes = std::array<unsigned char, kHeaderSize>;

// The header's bytes in `order` (Little or Big).
HeaderBytes SacHeaderBytes(const SacHeader& header, ByteOrder order);

// Puts `value` into real field `index` of header bytes in `order`.
void PutReal(HeaderBytes& bytes, std::size_t index, float value, ByteOrder order);

// Puts `value` into integer field `index` of header bytes in `order`.
void PutInteger(HeaderBytes& bytes, std::size_t index, std::int32_t value, ByteOrder order);

// The integer field `index` of header bytes in `order`.
std::int32_t GetInteger(const HeaderBytes& bytes, std::size_t index, ByteOrder order);

// Appends the samples' bytes in `order` to `out`.
void AppendSampleBytes(std::span<const float> samples, ByteOrder order,
                       std::vector<unsigned char>& out);

}  // namespace tremorline::sac
