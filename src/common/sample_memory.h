// SPDX-License-Identifier: MIT
#pragma once

// Allocating room for a trace's samples. A trace can promise more samples
// than the machine can hold; the user is told how much was asked for rather
// than getting the bare "std::bad_alloc".

#include <cstddef>
#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "common/user_error.h"

namespace tremorline {

inline std::string NotEnoughMemoryText(std::size_t count, std::size_t bytes_per_sample) {
    char gigabytes[32];
    std::snprintf(gigabytes, sizeof gigabytes, "%.1f",
                  static_cast<double>(count) * static_cast<double>(bytes_per_sample) / 1e9);
    return "There is not enough memory for " + std::to_string(count) + " samples (" + gigabytes +
           " GB).";
}

// A vector of `count` zero values; throws UserError when there is no room.
template <typename T>
std::vector<T> AllocateSamples(std::size_t count) {
    try {
        return std::vector<T>(count);
    } catch (const std::bad_alloc&) {
        throw UserError(NotEnoughMemoryText(count, sizeof(T)));
    } catch (const std::length_error&) {
        throw UserError(NotEnoughMemoryText(count, sizeof(T)));
    }
}

}  // namespace tremorline
