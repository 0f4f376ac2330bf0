#include "platform/Tray.h"

#include <QMenu>

#include "platform/DateTime.h"
#include "platform/TrayIcons.h"

namespace {
const QString kTrayTip = QStringLiteral("Vornel Pro");
// How long a start without a tray waits for the panel: a minute, once a second.
constexpr int kPollIntervalMs = 1000;
constexpr int kPolls = 60;
}  // namespace

TTray::TTray(QObject* parent)
    : QObject(parent),
      tray_(new QSystemTrayIcon(this)),
      available_(QSystemTrayIcon::isSystemTrayAvailable()) {
    tray_->setObjectName(QStringLiteral("trayIcon"));
    tray_->setToolTip(kTrayTip);
    connect(tray_, &QSystemTrayIcon::activated, this, &TTray::OnActivated);
    poll_.setInterval(kPollIntervalMs);
    connect(&poll_, &QTimer::timeout, this, &TTray::PollAvailability);
    SetDayFromClock();
    UpdateIcon();
}

void TTray::Show() {
    shown_ = true;
    UpdateIcon();
    if (available_) {
        tray_->show();
        return;
    }
    pollsLeft_ = kPolls;
    poll_.start();
}

void TTray::Hide() {
    shown_ = false;
    poll_.stop();
    tray_->hide();
}

void TTray::PollAvailability() {
    const bool now = QSystemTrayIcon::isSystemTrayAvailable();
    if (--pollsLeft_ <= 0 || now) poll_.stop();
    if (now == available_) return;
    available_ = now;
    if (available_ && shown_) tray_->show();
    emit AvailableChanged(available_);
}

void TTray::SetDay(int day) {
    if (day < 1 || day > 31 || day == day_) return;
    day_ = day;
    UpdateIcon();
}

void TTray::SetDayFromClock() {
    int year, month, day;
    DecodeDate(Date(), year, month, day);
    SetDay(day);
}

void TTray::SetSuspended(bool suspended) {
    if (suspended == suspended_) return;
    suspended_ = suspended;
    UpdateIcon();
}

void TTray::SetContextMenu(QMenu* menu) {
    tray_->setContextMenu(menu);
}

QString TTray::ToolTip() const {
    return tray_->toolTip();
}

void TTray::SetStatusLine(const QString& line) {
    tray_->setToolTip(line.isEmpty() ? kTrayTip : kTrayTip + u'\n' + line);
}

void TTray::UpdateIcon() {
    if (ShownImage() == iconShown_) return;
    iconShown_ = ShownImage();
    tray_->setIcon(TrayIcon(iconShown_));
}

void TTray::OnActivated(QSystemTrayIcon::ActivationReason reason) {
    // A right click opens the context menu by itself; a double click has
    // already toggled on its first press, and the middle button means nothing.
    if (reason == QSystemTrayIcon::Trigger) emit Toggled();
}
