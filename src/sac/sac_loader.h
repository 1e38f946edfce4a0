// SPDX-License-Identifier: MIT
#pragma once

// Reading a SAC binary file: the byte order, the header and the samples.

#include <cstdint>
#include <span>

#include "sac/sac_header.h"
#include "sac/trace_file.h"

namespace tremorline::sac {

// Little is the order numbers are held in memory; Big must be swapped.
// Unknown means the file is readable in neither order ("Unknown data type").
enum class ByteOrder { Unknown, Little, Big };

// Tells the byte order from NZJDAY, given as its four bytes read
// little-endian. A day of the year (1 to 366) in little-endian order is tried
// first, then in big-endian order. No value passes both: four bytes that read
// 1 to 366 one way read negative or at least 65536 the other.
ByteOrder DetectByteOrder(std::int32_t nzjday_little_endian);

// Reverses every numeric field; the text slots are left alone.
void SwapHeader(SacHeader& header);

// Turns each NUL byte of a slot into a space; nothing else changes.
void BlankTextNulls(TextSlot& slot);

// Converts the 632 header bytes of a file of the given (known) byte order.
SacHeader ParseSacHeader(std::span<const unsigned char, kHeaderSize> bytes, ByteOrder order);

struct LoadedHeader {
    ByteOrder order = ByteOrder::Unknown;
    SacHeader header;  // meaningful only when order is not Unknown
};

// Why a file is of "Unknown data type", for where there is room to say so.
inline constexpr const char* kUnknownDataTypeReason =
    "NZJDAY (the day of the year) is outside 1 to 366 in both byte orders, so this is not a "
    "SAC binary file, or its header is damaged";

// Decides the byte order and, when it is known, reads the header. A file too
// short for a header throws UserError saying so.
LoadedHeader ReadSacHeader(const TraceFile& file);

}  // namespace tremorline::sac
