// Program entry: one running instance per user, the data folder, and the main
// window with its start sequence; the program runs until Exit.
#include <exception>

#include "app/Application.h"
#include "app/Uformmain.h"
#include "app/Vnfirststart.h"
#include "calendar/Vncalendaraccessible.h"
#include "platform/Dialogs.h"
#include "platform/SingleInstance.h"
#include "store/Adodb.h"

namespace {

int RunMainWindow(TSingleInstance& instance) {
    PrepareFirstStart();
    InstallCalendarAccessibility();
    TFormMainVNCR window;
    QObject::connect(&instance, &TSingleInstance::ShowRequested, &window,
                     &TFormMainVNCR::ShowForAnotherStart);
    if (!window.FormCreate()) return 1;
    window.show();
    return QApplication::exec();
}

}  // namespace

int main(int argc, char** argv) {
    // The token belongs to this start; the platform plugin would take it.
    const QByteArray token = qgetenv("XDG_ACTIVATION_TOKEN");
    TVornelApplication app(argc, argv);
    TSingleInstance instance;
    if (instance.Claim(token) == TInstanceRole::Second) return 0;
    // The window hides to the tray; closing a dialog must not end the run.
    QApplication::setQuitOnLastWindowClosed(false);
    try {
        return RunMainWindow(instance);
    } catch (const EDatabaseError& error) {
        ShowError(error.Message());
    } catch (const std::exception& error) {
        ShowError(QString::fromUtf8(error.what()));
    }
    return 1;
}
