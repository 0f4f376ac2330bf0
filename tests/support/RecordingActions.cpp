#include "support/RecordingActions.h"

bool RecordingShell::OpenFile(const QString& fileName) {
    Opened.append(fileName);
    return true;
}

bool RecordingShell::OpenUrl(const QUrl& url) {
    Opened.append(url.toString());
    return true;
}

bool RecordingSoundPlayer::Play(const QString& fileName) {
    Stop();
    if (Unplayable.contains(fileName)) return false;
    Log.append(QStringLiteral("play ") + fileName);
    playing_ = fileName;
    return true;
}

void RecordingSoundPlayer::Stop() {
    if (playing_.isEmpty()) return;
    Log.append(QStringLiteral("stop ") + playing_);
    playing_.clear();
}
