// SPDX-License-Identifier: MIT
#pragma once

// The boundary of every command: a failure inside it is shown to the user in
// a message box and goes no further, so no exception ever reaches Qt.

#include <exception>
#include <new>
#include <string>

#include "app/window_ops.h"
#include "common/progress.h"
#include "common/user_error.h"

namespace tremorline::app {

// Runs `command`; returns false when it failed (after telling the user) or
// the user cancelled it (which needs no telling).
template <typename Command>
bool RunCommand(WindowOps& window, Command&& command) {
    try {
        command();
        return true;
    } catch (const Cancelled&) {
    } catch (const UserError& failure) {
        window.ShowMessage(failure.what());
    } catch (const std::bad_alloc&) {
        window.ShowMessage("There is not enough memory for this trace.");
    } catch (const std::exception& failure) {
        window.ShowMessage(std::string("The command failed: ") + failure.what());
    }
    return false;
}

}  // namespace tremorline::app
