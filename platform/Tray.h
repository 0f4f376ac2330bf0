// The program's icon in the panel's tray: today's day number, or the
// suspended picture while the reminder is suspended, with the tip "Vornel Pro";
// a left click asks the main window to show or hide itself.
#pragma once

#include <QObject>
#include <QSystemTrayIcon>
#include <QTimer>

class QMenu;

class TTray : public QObject {
    Q_OBJECT
public:
    explicit TTray(QObject* parent = nullptr);

    // False while the desktop has no tray: the main window then minimises
    // instead of hiding, so that it can always be reached again.
    bool Available() const { return available_; }

    // Puts the icon into the tray. Without a tray it keeps looking for one
    // for a while, since a start at login may come before the panel's.
    void Show();
    void Hide();

    // The day of the month the icon shows while the reminder runs (1 to 31;
    // anything else is ignored). A new day while suspended keeps the
    // suspended picture: the icon must not claim that reminders run.
    void SetDay(int day);
    void SetDayFromClock();
    int Day() const { return day_; }
    void SetSuspended(bool suspended);
    bool Suspended() const { return suspended_; }
    // The image shown: 0 when suspended, else the day (see TrayIcons.h).
    int ShownImage() const { return suspended_ ? 0 : day_; }

    // The menu of a right click; the caller keeps it alive.
    void SetContextMenu(QMenu* menu);
    QString ToolTip() const;
    // A second line under the program's name (the last synchronisation);
    // empty removes it.
    void SetStatusLine(const QString& line);

signals:
    // A left click on the icon: show the window when hidden, else hide it.
    void Toggled();
    // The tray appeared (or went away) after the start.
    void AvailableChanged(bool available);

private:
    void OnActivated(QSystemTrayIcon::ActivationReason reason);
    void PollAvailability();
    void UpdateIcon();

    QSystemTrayIcon* tray_;  // a child of this object
    QTimer poll_;
    int pollsLeft_ = 0;
    bool available_;
    bool shown_ = false;
    bool suspended_ = false;
    int day_ = 1;
    int iconShown_ = -1;
};
