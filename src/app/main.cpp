// SPDX-License-Identifier: MIT
// Tremorline: the program's identity and command line, then the main window.

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
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

// --help and --version are answered on the terminal before anything of the
// window exists, so they work without a display too. Anything else is the
// trace to open. Returns true when the first argument was one of them.
bool AnsweredOnTerminal(int argc, char* argv[]) {
    if (argc < 2) {
        return false;
    }
    const std::string_view option = argv[1];
    const tremorline::app::ProgramIdentity& identity = tremorline::app::Identity();
    if (option == "--version") {
        std::printf("tremorline %d.%d.%d\n", identity.major, identity.minor, identity.revision);
        return true;
    }
    if (option == "--help" || option == "-h") {
        std::fputs(
            "Usage: tremorline [FILE]\n"
            "Shows the header of the trace FILE (SAC or miniSEED) in a window, writes the\n"
            "trace as a PSN Type 4 file and builds, plays and saves it as sound. Without\n"
            "FILE the window opens empty; File > Open chooses a trace.\n"
            "\n"
            "Options:\n"
            "  -h, --help     show this help and exit\n"
            "      --version  show the version and exit\n"
            "\n"
            "For work on many files without a window: tremorline-cli --help\n",
            stdout);
        return true;
    }
    return false;
}

}  // namespace

int main(int argc, char* argv[]) {
    tremorline::IgnoreFileSizeSignal();
    if (AnsweredOnTerminal(argc, argv)) {
        return std::fflush(stdout) == 0 && std::ferror(stdout) == 0 ? 0 : 1;
    }
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
