// Tremorline: the program's identity and command line, then the main window.

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#ifdef TREMORLINE_HAVE_XCB
#include <xcb/xcb.h>
#endif

#include "app/about_window.h"
#include "app/main_window.h"
#include "app/trace_commands.h"
#include "common/atomic_file.h"

namespace {

bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

// Qt ends the program with a platform error when it cannot reach a display;
// find out first, so that the user gets a plain sentence instead.
bool DisplayAvailable() {
    if (IsSet("QT_QPA_PLATFORM") || IsSet("WAYLAND_DISPLAY")) {
        return true;  // a chosen platform or a Wayland session: Qt's own business
    }
    if (!IsSet("DISPLAY")) {
        return false;
    }
#ifdef TREMORLINE_HAVE_XCB
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool reached = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return reached;
#else
    return true;
#endif
}

}  // namespace

int main(int argc, char* argv[]) {
    tremorline::IgnoreFileSizeSignal();
    if (!DisplayAvailable()) {
        std::fputs(
            "tremorline: no graphical display can be reached (DISPLAY and WAYLAND_DISPLAY "
            "are unset, or the X display does not answer).\nRun it in a desktop session, "
            "or under Xvfb (xvfb-run tremorline FILE), or use tremorline-cli for batch "
            "work.\n",
            stderr);
        return 2;
    }
    // Qt takes its own options (-platform, -style, ...) out of argv; the rest
    // is the program's argument string.
    QApplication application(argc, argv);
    std::vector<std::string> arguments(argv + 1, argv + argc);
    const tremorline::app::ProgramIdentity& identity = tremorline::app::Identity();
    QApplication::setApplicationName(identity.title);
    QApplication::setApplicationVersion(
        QString("%1.%2.%3").arg(identity.major).arg(identity.minor).arg(identity.revision));
    QApplication::setOrganizationName(identity.company);
    QApplication::setWindowIcon(tremorline::app::ProgramIcon());

    tremorline::app::Form1 window;
    window.show();
    window.StartUp(tremorline::app::ArgumentString(arguments));
    return QApplication::exec();
}
