// SPDX-License-Identifier: MIT
#include "cli/json_line.h"

#include <cstdint>
#include <cstdio>

namespace tremorline::cli {
namespace {

// How many bytes of valid UTF-8 start `bytes`: 1 to 4, or 0 when its first
// byte does not begin a well-formed character (overlong forms, surrogates
// and values past U+10FFFF are not well-formed).
std::size_t Utf8Length(std::string_view bytes) {
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = at(0);
    if (lead < 0x80) {
        return 1;
    }
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (bytes.size() < length || at(1) < low || at(1) > high) {
        return 0;
    }
    for (std::size_t i = 2; i < length; ++i) {
        if (at(i) < 0x80 || at(i) > 0xBF) {
            return 0;
        }
    }
    return length;
}

void AppendEscape(std::string& text, unsigned value) {
    char escape[8];
    std::snprintf(escape, sizeof escape, "\\u%04x", value);
    text += escape;
}

}  // namespace

std::string JsonString(std::string_view bytes) {
    std::string text = "\"";
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t length = Utf8Length(bytes.substr(i));
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (length == 0) {
            AppendEscape(text, byte);  // not UTF-8: the Latin-1 character
            ++i;
            continue;
        }
        if (length == 1) {
            if (byte == '"' || byte == '\\') {
                text += '\\';
                text += static_cast<char>(byte);
            } else if (byte < 0x20 || byte == 0x7F) {
                AppendEscape(text, byte);
            } else {
                text += static_cast<char>(byte);
            }
        } else {
            text.append(bytes.substr(i, length));
        }
        i += length;
    }
    text += '"';
    return text;
}

}  // namespace tremorline::cli
