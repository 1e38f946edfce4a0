// SPDX-License-Identifier: MIT
#pragma once

// Control bytes (below 0x20, and 0x7F) in header texts. They are kept as
// they are in the files the program writes, but they must not reach a file
// name, and a terminal must not take them as commands.

#include <cstddef>
#include <cstdint>
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

// `text` made safe to show on a terminal, one line: control bytes, the C1
// controls (U+0080 to U+009F, which some terminals obey) and bytes that are
// not part of well-formed UTF-8 are written as \xNN, byte by byte; all other
// text, Latin letters with accents and other scripts included, is kept.
inline std::string TerminalText(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size());
    const auto escape = [&](unsigned char byte) {
        out += "\\x";
        out += kHex[byte >> 4];
        out += kHex[byte & 0xF];
    };
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            if (IsControlByte(text[i])) {
                escape(lead);
            } else {
                out += text[i];
            }
            ++i;
            continue;
        }
        // The length of a well-formed sequence starting here, or 0.
        std::size_t length = 0;
        std::uint32_t code = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            code = lead & 0x1Fu;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            code = lead & 0x0Fu;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            code = lead & 0x07u;
        }
        bool valid = length > 0 && i + length <= text.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3Fu);
        }
        // Overlong forms, surrogates, code points past U+10FFFF and C1 controls.
        static constexpr std::uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
        valid = valid && code >= kLeast[length] && (code < 0xD800 || code > 0xDFFF) &&
                code <= 0x10FFFF && (code < 0x80 || code > 0x9F);
        if (!valid) {
            escape(lead);
            ++i;
            continue;
        }
        out.append(text.substr(i, length));
        i += length;
    }
    return out;
}

}  // namespace tremorline
