// SPDX-License-Identifier: MIT
#pragma once

// Window tests reach the real controls by their object names.

#include <QObject>
#include <QWidget>

namespace tremorline::testing {

// The child of `parent` named `name`, of type T. A name that is missing
// ends the run, naming it: the test cannot go on without the control.
template <typename T = QWidget>
T* Find(const QObject& parent, const char* name) {
    T* found = parent.findChild<T*>(name);
    if (found == nullptr) {
        qFatal("no control named %s", name);
    }
    return found;
}

}  // namespace tremorline::testing
