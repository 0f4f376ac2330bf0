// An X display of the test's own with a window manager on it (Xvfb and
// openbox, as on a user's desktop), for what only a real window manager
// shows: window frames, closing by the title bar, placement.
#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>

class TXSession {
public:
    // Starts both; Missing() says what could not be started.
    TXSession();
    ~TXSession();
    TXSession(const TXSession&) = delete;
    TXSession& operator=(const TXSession&) = delete;

    bool Running() const { return missing_.isEmpty(); }
    QString Missing() const { return missing_; }
    // ":N", for DISPLAY.
    QString Display() const { return display_; }
    // The system's environment with DISPLAY set and Qt on the xcb platform.
    QProcessEnvironment Environment() const;
    // Runs an X client tool (wmctrl, xdotool) on this display; its output,
    // or an empty text when it fails.
    QString Run(const QString& tool, const QStringList& arguments) const;

private:
    bool StartServer();
    bool StartWindowManager();

    QProcess server_;
    QProcess manager_;
    QString display_;
    QString missing_;
};
