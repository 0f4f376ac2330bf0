// Slots that stop errors: Qt leaves an exception unwinding through its signal
// emission undefined, and the emitter's own work after the emission (a
// synchronisation finishing, a dialog's list refreshing) would be cut short.
// A slot that may meet a table-engine error runs its body through these; the
// error goes to the one error box and stops there.
#pragma once

#include <QString>
#include <exception>
#include <utility>

#include "platform/Dialogs.h"

template <typename F>
void RunGuarded(F&& body) {
    try {
        body();
    } catch (const std::exception& error) {
        ShowUnhandledError(QString::fromUtf8(error.what()));
    } catch (...) {
        ShowUnhandledError(QStringLiteral("Unknown error."));
    }
}

// A slot for connect(): receiver's member slot, run guarded.
template <typename R, typename C>
auto GuardedSlot(R* receiver, void (C::*slot)()) {
    return [receiver, slot] { RunGuarded([&] { (receiver->*slot)(); }); };
}

// A slot for connect(): a body without arguments, run guarded.
template <typename F>
auto GuardedSlot(F body) {
    return [body = std::move(body)] { RunGuarded(body); };
}
