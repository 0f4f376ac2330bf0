// Announcements through the desktop's notification service, beside the
// program's own notification window: one bubble per due event that can bring
// the window to the front or snooze the event. Where no service answers,
// nothing is shown and nothing else changes.
#pragma once

#include <QDBusConnection>
#include <QHash>
#include <QObject>
#include <QString>
#include <functional>

// What one announcement says and offers.
struct TDesktopNotice {
    QString Summary;
    QString Body;                       // plain text; escaped for services that read markup
    QString SnoozeCaption;              // caption of the "snooze" action; empty: none offered
    std::function<void()> OnActivated;  // the user clicked the bubble
    std::function<void()> OnSnooze;     // the user chose the snooze action
};

// The reminder's view of the service. Keys are the program's own; they stay
// valid while the service has not yet answered.
class TDesktopNotifier {
public:
    virtual ~TDesktopNotifier() = default;
    virtual int Show(const TDesktopNotice& notice) = 0;
    // Takes the bubble away; its callbacks are never called after this.
    virtual void Close(int key) = 0;
};

// The org.freedesktop.Notifications client. Every call is asynchronous, so a
// missing or hanging service never holds up the user interface.
class TDBusNotifier : public QObject, public TDesktopNotifier {
    Q_OBJECT

public:
    static const QString ServiceName;  // "org.freedesktop.Notifications"
    static const QString ObjectPath;
    static const QString DesktopEntry;  // "org.vornel.Vornel", also the icon name

    explicit TDBusNotifier(const QDBusConnection& bus = QDBusConnection::sessionBus(),
                           QObject* parent = nullptr);
    ~TDBusNotifier() override;

    int Show(const TDesktopNotice& notice) override;
    void Close(int key) override;

private slots:
    void ActionInvoked(uint id, const QString& action);
    void ActivationToken(uint id, const QString& token);
    void NotificationClosed(uint id, uint reason);

private:
    struct Pending {
        TDesktopNotice Notice;
        uint ServerId = 0;  // 0 until the service has answered
        bool Closing = false;
    };

    void Answered(int key, uint serverId);
    void SendClose(uint serverId);
    int KeyOf(uint serverId) const;

    QDBusConnection bus_;
    QHash<int, Pending> notices_;
    int nextKey_ = 1;
};

// The Notify arguments for one notice: app name, replaces id, icon, summary,
// body, actions, hints, expiry. Public for the tests.
QVariantList NotifyArguments(const TDesktopNotice& notice);
