// A stand-in for the program's entry that claims the single-instance guard
// and reports on its output what happened, for the tests that start it twice.
// Arguments: the socket name, then how many milliseconds the first instance
// stays busy "starting" before its event loop runs.
#include <QCoreApplication>
#include <QThread>
#include <cstdio>

#include "platform/SingleInstance.h"

namespace {
void Say(const QByteArray& line) {
    std::fputs(line.constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}
}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    TSingleInstance instance(args.value(1, TSingleInstance::DefaultName()));
    switch (instance.Claim()) {
        case TInstanceRole::Second:
            Say("second");
            return 0;
        case TInstanceRole::Unguarded:
            Say("unguarded");
            return 2;
        case TInstanceRole::First:
            Say("first");
            break;
    }
    QObject::connect(&instance, &TSingleInstance::ShowRequested,
                     [](const QByteArray& token) { Say("show " + token); });
    QThread::msleep(args.value(2).toULong());
    return app.exec();
}
