#include "platform/DesktopNotifications.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>

const QString TDBusNotifier::ServiceName = QStringLiteral("org.freedesktop.Notifications");
const QString TDBusNotifier::ObjectPath = QStringLiteral("/org/freedesktop/Notifications");
const QString TDBusNotifier::DesktopEntry = QStringLiteral("org.vornel.Vornel");

namespace {

const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
const QString kDefaultAction = QStringLiteral("default");
const QString kSnoozeAction = QStringLiteral("snooze");
// Long enough for a busy service, short enough that a lost answer is given up.
constexpr int kCallTimeoutMs = 10000;
constexpr uchar kUrgencyCritical = 2;

QDBusMessage Call(const QString& method) {
    return QDBusMessage::createMethodCall(TDBusNotifier::ServiceName, TDBusNotifier::ObjectPath,
                                          kInterface, method);
}

}  // namespace

QVariantList NotifyArguments(const TDesktopNotice& notice) {
    QStringList actions{kDefaultAction, QStringLiteral("Show")};
    if (!notice.SnoozeCaption.isEmpty()) actions << kSnoozeAction << notice.SnoozeCaption;
    QVariantMap hints;
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue(kUrgencyCritical));
    hints.insert(QStringLiteral("desktop-entry"), TDBusNotifier::DesktopEntry);
    // The notification window plays the event's own sound.
    hints.insert(QStringLiteral("suppress-sound"), true);
    // Services that understand markup would read an event's "<" as a tag.
    return {QStringLiteral("Vornel"),
            0u,
            TDBusNotifier::DesktopEntry,
            notice.Summary.toHtmlEscaped(),
            notice.Body.toHtmlEscaped(),
            actions,
            hints,
            0};  // never expires: the event stays due until the window closes
}

TDBusNotifier::TDBusNotifier(const QDBusConnection& bus, QObject* parent)
    : QObject(parent), bus_(bus) {
    if (!bus_.isConnected()) return;
    // QtDBus offers signal subscriptions only by slot signature.
    bus_.connect(ServiceName, ObjectPath, kInterface, QStringLiteral("ActionInvoked"), this,
                 SLOT(ActionInvoked(uint, QString)));
    bus_.connect(ServiceName, ObjectPath, kInterface, QStringLiteral("ActivationToken"), this,
                 SLOT(ActivationToken(uint, QString)));
    bus_.connect(ServiceName, ObjectPath, kInterface, QStringLiteral("NotificationClosed"), this,
                 SLOT(NotificationClosed(uint, uint)));
}

TDBusNotifier::~TDBusNotifier() {
    for (const Pending& p : std::as_const(notices_))
        if (p.ServerId != 0) SendClose(p.ServerId);
}

int TDBusNotifier::Show(const TDesktopNotice& notice) {
    const int key = nextKey_++;
    if (!bus_.isConnected()) return key;
    notices_.insert(key, Pending{notice});
    QDBusMessage message = Call(QStringLiteral("Notify"));
    message.setArguments(NotifyArguments(notice));
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(message, kCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, key](QDBusPendingCallWatcher* w) {
                const QDBusPendingReply<uint> reply = *w;
                w->deleteLater();
                if (reply.isError())
                    notices_.remove(key);  // no service: the window alone announces
                else
                    Answered(key, reply.value());
            });
    return key;
}

void TDBusNotifier::Answered(int key, uint serverId) {
    auto it = notices_.find(key);
    if (it == notices_.end()) return;
    if (it->Closing) {
        SendClose(serverId);
        notices_.erase(it);
        return;
    }
    it->ServerId = serverId;
}

void TDBusNotifier::Close(int key) {
    auto it = notices_.find(key);
    if (it == notices_.end()) return;
    if (it->ServerId == 0) {
        // Not answered yet: closed as soon as the service says which it is.
        it->Closing = true;
        it->Notice.OnActivated = nullptr;
        it->Notice.OnSnooze = nullptr;
        return;
    }
    SendClose(it->ServerId);
    notices_.erase(it);
}

void TDBusNotifier::SendClose(uint serverId) {
    QDBusMessage message = Call(QStringLiteral("CloseNotification"));
    message.setArguments({serverId});
    bus_.asyncCall(message, kCallTimeoutMs);
}

int TDBusNotifier::KeyOf(uint serverId) const {
    for (auto it = notices_.cbegin(); it != notices_.cend(); ++it)
        if (serverId != 0 && it->ServerId == serverId) return it.key();
    return 0;
}

void TDBusNotifier::ActionInvoked(uint id, const QString& action) {
    const int key = KeyOf(id);
    if (key == 0) return;
    // A copy: the callback may close the notice and so drop its entry.
    const TDesktopNotice notice = notices_.value(key).Notice;
    if (action == kDefaultAction && notice.OnActivated) notice.OnActivated();
    if (action == kSnoozeAction && notice.OnSnooze) notice.OnSnooze();
}

void TDBusNotifier::ActivationToken(uint id, const QString& token) {
    // Sent just before ActionInvoked; Wayland lets a window take the focus
    // only with the token of the user's click.
    if (KeyOf(id) != 0 && !token.isEmpty()) qputenv("XDG_ACTIVATION_TOKEN", token.toUtf8());
}

void TDBusNotifier::NotificationClosed(uint id, uint /*reason*/) {
    if (const int key = KeyOf(id)) notices_.remove(key);
}
