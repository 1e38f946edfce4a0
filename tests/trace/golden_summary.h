// SPDX-License-Identifier: MIT
#pragma once

// Whole summaries of the real SAC files, checked by hand against their header
// values, kept as the exact bytes the window shows (CR LF line ends) in
// tests/trace/golden/<file>.txt.

#include <string>
#include <string_view>

#include "support/temp_dir.h"

namespace tremorline::testing {

inline std::string GoldenSummary(const std::string& trace, std::string_view line_end = "\r\n") {
    const std::vector<unsigned char> bytes =
        ReadFileBytes(std::filesystem::path(TREMORLINE_GOLDEN_DIR) / (trace + ".txt"));
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            text += line_end;
            ++i;
        } else {
            text += static_cast<char>(bytes[i]);
        }
    }
    return text;
}

}  // namespace tremorline::testing
