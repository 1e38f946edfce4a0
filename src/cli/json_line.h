// SPDX-License-Identifier: MIT
#pragma once

// Text for the run report, one JSON object per line. File names are bytes
// that need not be UTF-8; every line must still parse, so the text of a
// JSON string is made from any bytes this way: valid UTF-8 is kept as it is
// (quote, backslash and control characters escaped), and each byte that is
// not part of valid UTF-8 becomes the character of the same number, \u0080
// to \u00ff, as if the name were Latin-1.

#include <string>
#include <string_view>

namespace tremorline::cli {

// `bytes` as a quoted JSON string, by the rule above.
std::string JsonString(std::string_view bytes);

}  // namespace tremorline::cli
