// SPDX-License-Identifier: MIT
#pragma once

// Removing named temporary files when the program is interrupted. A file
// registered here is unlinked by a signal handler on SIGINT, SIGTERM or
// SIGHUP, after which the program ends with the signal's usual status, as it
// would have without the handler.

#include <string_view>

namespace tremorline {

// Registers the file `name` in the folder open as `folder_fd`, which must
// stay open until the file is forgotten. Installs the handler on first use,
// for each of the three signals whose action is still the default (a signal
// that is ignored or handled by the program is left alone). Returns the
// registration, or -1 when the name is too long or too many files are
// registered at once; the file is then not removed on a signal.
int RegisterTemporaryFile(int folder_fd, std::string_view name) noexcept;

// Forgets a registration from RegisterTemporaryFile (-1 is ignored).
void ForgetTemporaryFile(int registration) noexcept;

}  // namespace tremorline
