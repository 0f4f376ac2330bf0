// Starts the program's application object and prints how the program names
// itself to the desktop: its desktop file name and the login start entry it
// would write, for the tests that start it through a symbolic link.
#include <cstdio>

#include "app/Application.h"
#include "platform/Autostart.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TVornelApplication app(argc, argv);
    const QString report =
        QStringLiteral("desktop %1\n%2")
            .arg(QGuiApplication::desktopFileName(), AutostartEntryText(RunningProgramPath()));
    std::fputs(report.toUtf8().constData(), stdout);
    return 0;
}
