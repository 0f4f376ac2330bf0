// Handing files and addresses to the desktop: an action file, the manual or
// the home page opens in whatever program the desktop associates with it.
// Callers hold a TShellOpener so that tests can record what would be opened.
#pragma once

#include <QString>
#include <QUrl>

class TShellOpener {
public:
    virtual ~TShellOpener() = default;
    // Opens a local file with the desktop's default handler; false when the
    // desktop refused (there is no message: the caller decides).
    virtual bool OpenFile(const QString& fileName) = 0;
    virtual bool OpenUrl(const QUrl& url) = 0;
};

// True for a file the desktop's handler would run rather than show: one with
// an execute bit, a script, a desktop entry, a program of this or another
// system. An event's action file is only shown, never opened, when it is
// one of these, whoever wrote the event.
bool RunsAsProgram(const QString& fileName);

// The real opener, through QDesktopServices.
class TDesktopShell : public TShellOpener {
public:
    bool OpenFile(const QString& fileName) override;
    bool OpenUrl(const QUrl& url) override;
};
