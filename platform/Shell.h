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

// The real opener, through QDesktopServices.
class TDesktopShell : public TShellOpener {
public:
    bool OpenFile(const QString& fileName) override;
    bool OpenUrl(const QUrl& url) override;
};
