#include "app/Application.h"

#include "app/AppInfo.h"

TVornelApplication::TVornelApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(ProgramName);
    setApplicationVersion(ProgramVersion);
    setDesktopFileName(DesktopFileId);
}

bool TVornelApplication::notify(QObject* receiver, QEvent* event) {
    return DeliverAtErrorBoundary([&] { return QApplication::notify(receiver, event); });
}
