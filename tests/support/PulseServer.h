// A PulseAudio sound server of the test's own with one null sink (nothing is
// heard), its socket, runtime folder and home in a temporary folder, so that
// a sound can really be played on any machine. Address() is what PULSE_SERVER
// takes.
#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <memory>

class PulseServer {
public:
    // Starts the server and waits (at most 15 s) until its socket answers;
    // Running() and Error() tell whether it came up.
    PulseServer();
    ~PulseServer();  // stops it
    PulseServer(const PulseServer&) = delete;
    PulseServer& operator=(const PulseServer&) = delete;

    // Whether the pulseaudio program is there at all.
    static bool Installed();
    bool Running() const;
    QString Error() const { return error_; }
    QString Address() const;  // unix:<socket>

private:
    QString Socket() const;

    QTemporaryDir dir_;
    std::unique_ptr<QProcess> process_;
    QString error_;
};
