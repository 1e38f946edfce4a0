// SPDX-License-Identifier: MIT
#pragma once

// The SAC binary header: 632 bytes ahead of the samples.
//
//   offset   size  content
//   0        280   70 reals, IEEE 754 single precision    real i at 4*i
//   280      160   40 integers, 32-bit two's complement    integer j at 280 + 4*j
//   440      192   24 text slots of 8 bytes                slot s at 440 + 8*s
//   632      4*N   NPTS samples, single precision
//
// All numbers of one file share one byte order, which nothing in the file
// states; it is told from NZJDAY (see DetectByteOrder). Texts are bytes.
//
// Each field has a header variable number: real i is i (0-69), integer j is
// 70 + j (70-109), and the texts 110-132 by field: KEVNM fills slots 1 and 2
// and is 111, so slot s from 3 on is 109 + s.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tremorline::sac {

inline constexpr std::size_t kHeaderSize = 632;
inline constexpr std::size_t kRealCount = 70;
inline constexpr std::size_t kIntegerCount = 40;
inline constexpr std::size_t kTextSlotCount = 24;
inline constexpr std::size_t kTextSlotSize = 8;
inline constexpr std::size_t kIntegerOffset = 4 * kRealCount;
inline constexpr std::size_t kTextOffset = kIntegerOffset + 4 * kIntegerCount;
inline constexpr std::size_t kSampleOffset = kHeaderSize;
inline constexpr std::size_t kSampleSize = 4;
static_assert(kTextOffset + kTextSlotSize * kTextSlotCount == kHeaderSize);

// SAC's marker for a value that is not set.
inline constexpr float kUndefined = -12345.0f;

// Indices of the real fields that the program interprets.
namespace real {
inline constexpr std::size_t DELTA = 0;
inline constexpr std::size_t DEPMIN = 1;
inline constexpr std::size_t DEPMAX = 2;
inline constexpr std::size_t SCALE = 3;
inline constexpr std::size_t B = 5;
inline constexpr std::size_t E = 6;
inline constexpr std::size_t O = 7;
inline constexpr std::size_t STLA = 31;
inline constexpr std::size_t STLO = 32;
inline constexpr std::size_t STEL = 33;
inline constexpr std::size_t EVLA = 35;
inline constexpr std::size_t EVLO = 36;
inline constexpr std::size_t EVDP = 38;
inline constexpr std::size_t MAG = 39;
inline constexpr std::size_t DEPMEN = 56;
inline constexpr std::size_t CMPAZ = 57;
inline constexpr std::size_t CMPINC = 58;
}  // namespace real

// Indices of the integer fields that the program interprets.
namespace integer {
inline constexpr std::size_t NZYEAR = 0;
inline constexpr std::size_t NZJDAY = 1;
inline constexpr std::size_t NZHOUR = 2;
inline constexpr std::size_t NZMIN = 3;
inline constexpr std::size_t NZSEC = 4;
inline constexpr std::size_t NZMSEC = 5;
inline constexpr std::size_t NPTS = 9;
inline constexpr std::size_t IDEP = 16;
}  // namespace integer

// Text slots of the texts that the program interprets.
namespace text {
inline constexpr std::size_t KSTNM = 0;
inline constexpr std::size_t KEVNM = 1;  // slots 1 and 2
inline constexpr std::size_t KCMPNM = 20;
inline constexpr std::size_t KNETWK = 21;
}  // namespace text

// The byte offset of NZJDAY, read to decide the byte order.
inline constexpr std::size_t kNzjdayOffset = kIntegerOffset + 4 * integer::NZJDAY;
static_assert(kNzjdayOffset == 284);

using TextSlot = std::array<char, kTextSlotSize>;

// The header as held in memory: numbers in the machine's order, texts as the
// bytes of the file (after NUL blanking), every slot all 8 characters long.
struct SacHeader {
    std::array<float, kRealCount> reals{};
    std::array<std::int32_t, kIntegerCount> ints{};
    std::array<TextSlot, kTextSlotCount> texts{};

    std::string Text(std::size_t slot) const {
        return std::string(texts.at(slot).data(), kTextSlotSize);
    }

    friend bool operator==(const SacHeader&, const SacHeader&) = default;
};

// Group labels of the header listing. Entry k of a table covers fields (or
// slots) 5k to 5k + 4 of its block; each is padded with spaces to the table's
// fixed width. "KEVNM*" stands for the 16-character KEVNM, two slots.
inline constexpr std::size_t kRealLabelWidth = 34;
inline constexpr std::size_t kIntegerLabelWidth = 34;
inline constexpr std::size_t kTextLabelWidth = 28;

extern const std::array<std::string_view, 14> RealFieldLabels;
extern const std::array<std::string_view, 8> IntegerFieldLabels;
extern const std::array<std::string_view, 5> TextFieldLabels;

}  // namespace tremorline::sac
