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
// ShowUnhandledError (as for any guarded slot) and the event counts as not
// handled.
template <typename F>
bool DeliverAtErrorBoundary(F&& deliver) {
    bool handled = false;
    RunGuarded([&] { handled = deliver(); });
    return handled;
}

class TVornelApplication : public QApplication {
public:
    TVornelApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
