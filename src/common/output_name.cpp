// SPDX-License-Identifier: MIT
#include "common/output_name.h"

#include <algorithm>

#include "common/control_bytes.h"
#include "common/user_error.h"

namespace tremorline {

std::string SafeOutputName(std::string_view name) {
    const std::string shown = TerminalText(name);
    if (name.find('/') != std::string_view::npos) {
        // Taken as a folder, a code could place the file elsewhere.
        throw UserError("Cannot create " + shown + ": a file name cannot hold the character /");
    }
    // A line end or an escape sequence in a file name misleads every listing
    // and terminal that shows it. The name is shown with them made visible.
    const auto control = std::find_if(name.begin(), name.end(), IsControlByte);
    if (control != name.end()) {
        throw UserError("Cannot create " + shown +
                        ": a file name cannot hold the control character " +
                        EscapeControlBytes(std::string_view(&*control, 1)));
    }
    const std::size_t first = name.find_first_not_of('.');
    if (first == std::string_view::npos) {
        throw UserError("Cannot create \"" + shown + "\": that names no file in the folder");
    }
    return std::string(name.substr(first));
}

}  // namespace tremorline
