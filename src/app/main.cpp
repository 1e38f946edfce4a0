// Tremorline: the program's identity and command line, then the main window.

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/about_window.h"
#include "app/main_window.h"
#include "app/trace_commands.h"

namespace {

// Qt would abort with a platform error; say plainly what is missing instead.
bool DisplayAvailable() {
    auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && *value != '\0';
    };
    return set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY");
}

}  // namespace

int main(int argc, char* argv[]) {
    if (!DisplayAvailable()) {
        std::fputs(
            "tremorline: no graphical display is available (neither DISPLAY nor "
            "WAYLAND_DISPLAY is set).\nRun it in a desktop session, or under Xvfb "
            "(xvfb-run tremorline FILE), or use tremorline-cli for batch work.\n",
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
