// The program's application object and the one error boundary of its event
// loop: an engine error (or any other) that no handler caught is shown in
// the error box, and the program goes on.
#pragma once

#include <QApplication>
#include <exception>

#include "platform/Dialogs.h"
#include "platform/GuardedSlot.h"
#include "store/Adodb.h"

// Runs one delivery of an event; an error escaping it is shown with
// ShowUnhandledError and the event counts as not handled.
template <typename F>
bool DeliverAtErrorBoundary(F&& deliver) {
    try {
        return deliver();
    } catch (const EDatabaseError& error) {
        ShowUnhandledError(error.Message());
    } catch (const std::exception& error) {
        ShowUnhandledError(QString::fromUtf8(error.what()));
    } catch (...) {
        ShowUnhandledError(QStringLiteral("Unknown error."));
    }
    return false;
}

class TVornelApplication : public QApplication {
public:
    TVornelApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
