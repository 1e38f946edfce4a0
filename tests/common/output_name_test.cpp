// SPDX-License-Identifier: MIT
#include "common/output_name.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/control_bytes.h"
#include "common/user_error.h"

namespace tremorline {
namespace {

// Output names come from codes in the trace file; every output takes them
// through this one check.
TEST(SafeOutputName, KeepsPlainNamesDropsLeadingDotsAndRefusesTheRest) {
    struct Case {
        std::string name;
        std::string kept;     // empty: refused
        std::string refusal;  // the end of the message when refused
    };
    const std::vector<Case> cases = {
        {"IU.COLA.00.LHZ.M.2010.058.065000.wav", "IU.COLA.00.LHZ.M.2010.058.065000.wav", ""},
        {"\xC3\xA9v\xC3\xA9nement.png", "\xC3\xA9v\xC3\xA9nement.png", ""},
        {".COLA.00.LHZ.M.2010.058.065000.wav", "COLA.00.LHZ.M.2010.058.065000.wav", ""},
        {"...x.wav", "x.wav", ""},
        {"./x.wav", "", "Cannot create ./x.wav: a file name cannot hold the character /"},
        {"../x.00.LHZ.wav", "", "a file name cannot hold the character /"},
        {"/tmp/.00.LHZ.wav", "", "a file name cannot hold the character /"},
        {"IU.\x1b[2J.00.LHZ.png", "",
         "Cannot create IU.\\x1b[2J.00.LHZ.png: a file name cannot hold the control character "
         "\\x1b"},
        {"a\nb.wav", "", "the control character \\x0a"},
        {"a\x7f.wav", "", "the control character \\x7f"},
        {"", "", "that names no file in the folder"},
        {".", "", "that names no file in the folder"},
        {"..", "", "that names no file in the folder"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(TerminalText(c.name));
        if (!c.kept.empty()) {
            EXPECT_EQ(SafeOutputName(c.name), c.kept);
            continue;
        }
        try {
            SafeOutputName(c.name);
            ADD_FAILURE() << "accepted";
        } catch (const UserError& error) {
            const std::string message = error.what();
            EXPECT_NE(message.find(c.refusal), std::string::npos) << message;
            EXPECT_EQ(message.find('\x1b'), std::string::npos) << message;
        }
    }
}

TEST(TerminalText, MakesControlsAndBrokenUtf8VisibleAndKeepsText) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"plain text, 1.5 s", "plain text, 1.5 s"},
        {"line\nend\ttab\x1b[2J\x7f", "line\\x0aend\\x09tab\\x1b[2J\\x7f"},
        {"caf\xC3\xA9 \xE6\x97\xA5 \xF0\x9F\x8C\x8B", "caf\xC3\xA9 \xE6\x97\xA5 \xF0\x9F\x8C\x8B"},
        {"latin-1 caf\xE9", "latin-1 caf\\xe9"},  // not UTF-8
        {"c1 \xC2\x9B"
         "2J",
         "c1 \\xc2\\x9b2J"},                           // U+009B, a terminal's CSI
        {"overlong \xC0\xAF", "overlong \\xc0\\xaf"},  // "/" in two bytes
        {"surrogate \xED\xA0\x80", "surrogate \\xed\\xa0\\x80"},
        {"cut \xE6\x97", "cut \\xe6\\x97"},
    };
    for (const auto& [text, shown] : cases) {
        EXPECT_EQ(TerminalText(text), shown);
    }
}

}  // namespace
}  // namespace tremorline
