// SPDX-License-Identifier: MIT
#include "sac/sac_writer.h"

#include <bit>
#include <cstdint>

#include "common/byte_order.h"

namespace tremorline::sac {
namespace {

template <typename Bytes>
void PutWord(Bytes& out, std::size_t offset, std::uint32_t word, ByteOrder order) {
    PutLE32(out, offset, order == ByteOrder::Big ? ByteSwap32(word) : word);
}

}  // namespace

HeaderBytes SacHeaderBytes(const SacHeader& header, ByteOrder order) {
    HeaderBytes out{};
    for (std::size_t i = 0; i < kRealCount; ++i) {
        PutWord(out, 4 * i, std::bit_cast<std::uint32_t>(header.reals[i]), order);
    }
    for (std::size_t j = 0; j < kIntegerCount; ++j) {
        PutWord(out, kIntegerOffset + 4 * j, std::bit_cast<std::uint32_t>(header.ints[j]), order);
    }
    for (std::size_t s = 0; s < kTextSlotCount; ++s) {
        for (std::size_t k = 0; k < kTextSlotSize; ++k) {
            out[kTextOffset + kTextSlotSize * s + k] =
                static_cast<unsigned char>(header.texts[s][k]);
        }
    }
    return out;
}

void PutReal(HeaderBytes& bytes, std::size_t index, float value, ByteOrder order) {
    PutWord(bytes, 4 * index, std::bit_cast<std::uint32_t>(value), order);
}

void PutInteger(HeaderBytes& bytes, std::size_t index, std::int32_t value, ByteOrder order) {
    PutWord(bytes, kIntegerOffset + 4 * index, std::bit_cast<std::uint32_t>(value), order);
}

std::int32_t GetInteger(const HeaderBytes& bytes, std::size_t index, ByteOrder order) {
    const std::uint32_t word = LoadLE32(bytes.data() + kIntegerOffset + 4 * index);
    return std::bit_cast<std::int32_t>(order == ByteOrder::Big ? ByteSwap32(word) : word);
}

void AppendSampleBytes(std::span<const float> samples, ByteOrder order,
                       std::vector<unsigned char>& out) {
    const std::size_t start = out.size();
    out.resize(start + kSampleSize * samples.size());
    unsigned char* p = out.data() + start;
    for (const float sample : samples) {
        std::uint32_t word = std::bit_cast<std::uint32_t>(sample);
        if (order == ByteOrder::Big) {
            word = ByteSwap32(word);
        }
        p[0] = static_cast<unsigned char>(word);
        p[1] = static_cast<unsigned char>(word >> 8);
        p[2] = static_cast<unsigned char>(word >> 16);
        p[3] = static_cast<unsigned char>(word >> 24);
        p += kSampleSize;
    }
}

}  // namespace tremorline::sac
