// SPDX-License-Identifier: MIT
#include "sac/sac_loader.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <string>

#include "common/byte_order.h"
#include "common/user_error.h"

namespace tremorline::sac {
namespace {

bool IsDayOfYear(std::int32_t value) {
    return value > 0 && value < 367;
}

}  // namespace

ByteOrder DetectByteOrder(std::int32_t nzjday_little_endian) {
    if (IsDayOfYear(nzjday_little_endian)) {
        return ByteOrder::Little;
    }
    std::int32_t swapped = nzjday_little_endian;
    SwapLong(swapped);
    return IsDayOfYear(swapped) ? ByteOrder::Big : ByteOrder::Unknown;
}

void SwapHeader(SacHeader& header) {
    for (float& value : header.reals) {
        SwapReal(value);
    }
    for (std::int32_t& value : header.ints) {
        SwapLong(value);
    }
}

void BlankTextNulls(TextSlot& slot) {
    std::replace(slot.begin(), slot.end(), '\0', ' ');
}

SacHeader ParseSacHeader(std::span<const unsigned char, kHeaderSize> bytes, ByteOrder order) {
    SacHeader header;
    for (std::size_t i = 0; i < kRealCount; ++i) {
        header.reals[i] = std::bit_cast<float>(LoadLE32(bytes.data() + 4 * i));
    }
    for (std::size_t j = 0; j < kIntegerCount; ++j) {
        header.ints[j] =
            std::bit_cast<std::int32_t>(LoadLE32(bytes.data() + kIntegerOffset + 4 * j));
    }
    for (std::size_t s = 0; s < kTextSlotCount; ++s) {
        std::memcpy(header.texts[s].data(), bytes.data() + kTextOffset + kTextSlotSize * s,
                    kTextSlotSize);
    }
    if (order == ByteOrder::Big) {
        SwapHeader(header);
    }
    for (TextSlot& slot : header.texts) {
        BlankTextNulls(slot);
    }
    return header;
}

LoadedHeader ReadSacHeader(const TraceFile& file) {
    const std::uint64_t size = file.Size();
    if (size < kHeaderSize) {
        throw UserError("The file is too short for a SAC header: it has " + std::to_string(size) +
                        " bytes, and a SAC header takes " + std::to_string(kHeaderSize) + ".");
    }
    std::array<unsigned char, 4> day{};
    file.ReadAt(kNzjdayOffset, day);
    LoadedHeader loaded;
    loaded.order = DetectByteOrder(std::bit_cast<std::int32_t>(LoadLE32(day.data())));
    if (loaded.order == ByteOrder::Unknown) {
        return loaded;
    }
    std::array<unsigned char, kHeaderSize> bytes{};
    file.ReadAt(0, bytes);
    loaded.header = ParseSacHeader(bytes, loaded.order);
    return loaded;
}

}  // namespace tremorline::sac
