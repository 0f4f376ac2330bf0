// Stand-ins for the desktop's file opener and the sound player that record
// what the program asked for, so that a test can check what would have been
// opened and heard.
#pragma once

#include <QSet>
#include <QStringList>

#include "platform/Shell.h"
#include "platform/Sound.h"

class RecordingShell : public TShellOpener {
public:
    bool OpenFile(const QString& fileName) override;
    bool OpenUrl(const QUrl& url) override;
    QStringList Opened;  // file names and URLs, in order
};

// Keeps the one-sound contract of the real player: a start stops the sound
// before. Log holds "play <file>" and "stop <file>" in order.
class RecordingSoundPlayer : public TSoundPlayer {
public:
    bool Play(const QString& fileName) override;
    void Stop() override;
    QString Playing() const { return playing_; }  // empty when silent

    QStringList Log;
    QSet<QString> Unplayable;  // files whose Play fails

private:
    QString playing_;
};
