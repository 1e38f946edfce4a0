// Tremorline: the program's identity and command line, then the main window.

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

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
    QApplication::setApplicationName("Tremorline");
    QApplication::setApplicationVersion("1.1.5");
    QApplication::setOrganizationName("Tremorline contributors");

    tremorline::app::Form1 window;
    window.show();
    window.StartUp(tremorline::app::ArgumentString(arguments));
    return QApplication::exec();
}
