// SPDX-License-Identifier: MIT
#pragma once

// Byte-order helpers. Every multi-byte value is assembled from or split into
// bytes with shifts, so the host's own byte order never matters. Floats are
// moved as their bit patterns (std::bit_cast): a value is never swapped while
// it is a float, since a NaN's bits may change in a float register.

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace tremorline {

inline std::uint32_t LoadLE32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

inline std::uint32_t ByteSwap32(std::uint32_t v) {
    return ((v & 0x000000FFu) << 24) | ((v & 0x0000FF00u) << 8) | ((v & 0x00FF0000u) >> 8) |
           ((v & 0xFF000000u) >> 24);
}

// SwapLong: reverse the four bytes of a 32-bit integer in place.
inline void SwapLong(std::int32_t& value) {
    value = std::bit_cast<std::int32_t>(ByteSwap32(std::bit_cast<std::uint32_t>(value)));
}

// SwapReal: reverse the four bytes of a float in place. The bytes are moved
// as they are, never converted or normalised.
inline void SwapReal(float& value) {
    value = std::bit_cast<float>(ByteSwap32(std::bit_cast<std::uint32_t>(value)));
}

// Little-endian writers into a byte buffer at a fixed offset. The caller owns
// the bounds: records are laid out at offsets known at compile time.
template <typename Bytes>
void PutLE16(Bytes& out, std::size_t offset, std::uint16_t v) {
    out[offset] = static_cast<unsigned char>(v & 0xFFu);
    out[offset + 1] = static_cast<unsigned char>((v >> 8) & 0xFFu);
}

template <typename Bytes>
void PutLE32(Bytes& out, std::size_t offset, std::uint32_t v) {
    for (std::size_t i = 0; i < 4; ++i) {
        out[offset + i] = static_cast<unsigned char>((v >> (8 * i)) & 0xFFu);
    }
}

template <typename Bytes>
void PutLE64(Bytes& out, std::size_t offset, std::uint64_t v) {
    for (std::size_t i = 0; i < 8; ++i) {
        out[offset + i] = static_cast<unsigned char>((v >> (8 * i)) & 0xFFu);
    }
}

template <typename Bytes>
void PutLEI16(Bytes& out, std::size_t offset, std::int16_t v) {
    PutLE16(out, offset, std::bit_cast<std::uint16_t>(v));
}

template <typename Bytes>
void PutLEI32(Bytes& out, std::size_t offset, std::int32_t v) {
    PutLE32(out, offset, std::bit_cast<std::uint32_t>(v));
}

template <typename Bytes>
void PutLEF32(Bytes& out, std::size_t offset, float v) {
    PutLE32(out, offset, std::bit_cast<std::uint32_t>(v));
}

template <typename Bytes>
void PutLEF64(Bytes& out, std::size_t offset, double v) {
    PutLE64(out, offset, std::bit_cast<std::uint64_t>(v));
}

inline std::uint16_t LoadLE16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

}  // namespace tremorline
