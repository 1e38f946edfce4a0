// SPDX-License-Identifier: MIT
#pragma once

// Control bytes (below 0x20, and 0x7F) in header texts. They are kept as
// they are in the files the program writes, but they must not reach a file
// name, and a terminal must not take them as commands.

#include <string>
#include <string_view>

namespace tremorline {

inline bool IsControlByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

// `text` with every control byte written as \xNN (two lower-case hex
// digits), except those listed in `kept`; all other bytes unchanged.
inline std::string EscapeControlBytes(std::string_view text, std::string_view kept = {}) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (!IsControlByte(c) || kept.find(c) != std::string_view::npos) {
            out += c;
            continue;
        }
        const auto byte = static_cast<unsigned char>(c);
        out += "\\x";
        out += kHex[byte >> 4];
        out += kHex[byte & 0xF];
    }
    return out;
}

}  // namespace tremorline
