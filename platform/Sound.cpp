#include "platform/Sound.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QFileInfo>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QUrl>

TMediaSoundPlayer::TMediaSoundPlayer() = default;

TMediaSoundPlayer::~TMediaSoundPlayer() {
    Stop();
}

bool TMediaSoundPlayer::EnsurePlayer() {
    if (player_) return true;
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) return false;
    output_ = std::make_unique<QAudioOutput>(device);
    player_ = std::make_unique<QMediaPlayer>();
    player_->setAudioOutput(output_.get());
    // A file that turns out unplayable stops the player by itself: nothing to report.
    return true;
}

bool TMediaSoundPlayer::Play(const QString& fileName) {
    Stop();
    const QFileInfo file(fileName);
    if (fileName.isEmpty() || !file.isFile() || !file.isReadable()) return false;
    if (!EnsurePlayer()) return false;
    player_->setSource(QUrl::fromLocalFile(file.absoluteFilePath()));
    if (player_->error() != QMediaPlayer::NoError) {
        Stop();
        return false;
    }
    player_->play();
    current_ = fileName;
    return true;
}

void TMediaSoundPlayer::Stop() {
    current_.clear();
    if (!player_) return;
    player_->stop();
    player_->setSource(QUrl());
}
