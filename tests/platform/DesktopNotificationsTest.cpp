// The desktop announcements against a notification service of the test's own
// on a private session bus (the program runs under dbus-run-session): what is
// sent, what the bubble's actions do, and a bus without a service or without
// a daemon at all.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QPushButton>
#include <QTreeWidget>
#include <functional>
#include <memory>

#include "platform/DateFormat.h"
#include "platform/DesktopNotifications.h"
#include "reminder/Uformnotify.h"
#include "support/EventRecords.h"
#include "support/RecordingActions.h"
#include "support/TestSupport.h"

namespace {

struct NotifyCall {
    QString App, Icon, Summary, Body;
    uint Replaces = 0;
    QStringList Actions;
    QVariantMap Hints;
    int Timeout = -1;
};

// Answers as a desktop's service would and keeps what it was asked.
class FakeNotificationService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    FakeNotificationService() {
        QDBusConnection bus = QDBusConnection::sessionBus();
        registered_ =
            bus.registerObject(TDBusNotifier::ObjectPath, this, QDBusConnection::ExportAllSlots) &&
            bus.registerService(TDBusNotifier::ServiceName);
    }
    ~FakeNotificationService() override {
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.unregisterService(TDBusNotifier::ServiceName);
        bus.unregisterObject(TDBusNotifier::ObjectPath);
    }
    bool Registered() const { return registered_; }

    void Emit(const QString& signal, const QVariantList& arguments) {
        QDBusMessage m = QDBusMessage::createSignal(TDBusNotifier::ObjectPath,
                                                    TDBusNotifier::ServiceName, signal);
        m.setArguments(arguments);
        QDBusConnection::sessionBus().send(m);
    }

    QList<NotifyCall> Calls;
    QList<uint> Closed;

public slots:
    uint Notify(const QString& app, uint replaces, const QString& icon, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap& hints,
                int timeout) {
        Calls.append({app, icon, summary, body, replaces, actions, hints, timeout});
        return 100 + Calls.size();
    }
    void CloseNotification(uint id) { Closed.append(id); }

private:
    bool registered_ = false;
};

bool WaitFor(const std::function<bool()>& done, int ms = 5000) {
    QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

#define REQUIRE_SESSION_BUS()                         \
    if (!QDBusConnection::sessionBus().isConnected()) \
    GTEST_SKIP() << "no session bus; run under dbus-run-session"

struct DesktopFixture : ::testing::Test {
    std::unique_ptr<TFormNotify> Open(TDesktopNotifier& desktop,
                                      std::initializer_list<TvnEventParams> records) {
        TvnEventRecords events;
        for (const TvnEventParams& r : records) {
            events.push_back(std::make_unique<TvnEventParams>(r));
            events.back()->ID = int(events.size());
        }
        return std::make_unique<TFormNotify>(nullptr, std::move(events), shell, sound, &desktop,
                                             15);
    }
    ScopedClock clock{At(2026, 12, 9, 15, 1)};
    RecordingShell shell;
    RecordingSoundPlayer sound;
};

TvnEventParams Dentist() {
    TvnEventParams e = EventRecord("Dentist <Dr. Lee>", At(2026, 12, 9, 15, 0));
    e.Notes = "Bring the X-rays & the card";
    return e;
}

}  // namespace

TEST_F(DesktopFixture, EachDueEventIsAnnouncedAsACriticalLastingBubble) {
    REQUIRE_SESSION_BUS();
    FakeNotificationService service;
    ASSERT_TRUE(service.Registered());
    TDBusNotifier desktop;
    auto form = Open(desktop, {Dentist(), EventRecord("Call", At(2026, 12, 9, 15, 1))});
    ASSERT_TRUE(WaitFor([&] { return service.Calls.size() == 2; }));
    const NotifyCall& call = service.Calls[0];
    EXPECT_EQ(call.App, "Vornel");
    EXPECT_EQ(call.Replaces, 0u);
    EXPECT_EQ(call.Icon, "org.vornel.Vornel");
    EXPECT_EQ(call.Summary, "Dentist &lt;Dr. Lee&gt;");
    EXPECT_EQ(call.Body,
              DateTimeText(At(2026, 12, 9, 15, 0)) + "\nBring the X-rays &amp; the card");
    EXPECT_EQ(call.Actions, (QStringList{"default", "Show", "snooze", "Snooze 15 minutes"}));
    EXPECT_EQ(call.Hints.value("urgency").metaType(), QMetaType::fromType<uchar>());
    EXPECT_EQ(call.Hints.value("urgency").toInt(), 2);
    EXPECT_EQ(call.Hints.value("desktop-entry").toString(), "org.vornel.Vornel");
    EXPECT_EQ(call.Hints.value("suppress-sound").metaType(), QMetaType::fromType<bool>());
    EXPECT_TRUE(call.Hints.value("suppress-sound").toBool());
    EXPECT_EQ(call.Timeout, 0);
    EXPECT_EQ(service.Calls[1].Summary, "Call");
    EXPECT_EQ(service.Calls[1].Body, DateTimeText(At(2026, 12, 9, 15, 1)));  // no notes
}

TEST_F(DesktopFixture, ClickingRaisesTheWindowWithItsTokenAndSnoozeKeepsToItsDelay) {
    REQUIRE_SESSION_BUS();
    FakeNotificationService service;
    TDBusNotifier desktop;
    auto form = Open(desktop, {Dentist(), EventRecord("Call", At(2026, 12, 9, 15, 1))});
    ASSERT_TRUE(WaitFor([&] { return service.Calls.size() == 2; }));
    form->show();
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(WaitFor([&] { return QApplication::activeWindow() == &other; }));

    service.Emit("ActivationToken", {101u, QStringLiteral("token-of-the-click")});
    service.Emit("ActionInvoked", {101u, QStringLiteral("default")});
    EXPECT_TRUE(WaitFor([&] { return QApplication::activeWindow() == form.get(); }));
    EXPECT_EQ(qgetenv("XDG_ACTIVATION_TOKEN"), "token-of-the-click");

    service.Emit("ActionInvoked", {102u, QStringLiteral("snooze")});
    ASSERT_TRUE(WaitFor([&] { return !form->Snoozed().isEmpty(); }));
    EXPECT_SAME_TIME(form->Snoozed().value(2), At(2026, 12, 9, 15, 16));
    EXPECT_TRUE(form->findChild<QTreeWidget*>("listView_Events")->topLevelItem(1)->isHidden());
    EXPECT_TRUE(form->isVisible());  // the dentist is still to be seen to
    EXPECT_TRUE(WaitFor([&] { return service.Closed == QList<uint>{102}; }));

    form->findChild<QPushButton*>("btnOK")->click();
    EXPECT_TRUE(WaitFor([&] { return service.Closed == (QList<uint>{102, 101}); }));
    form.reset();
    service.Emit("ActionInvoked", {101u, QStringLiteral("snooze")});  // a stale bubble
    WaitFor([] { return false; }, 200);
}

// Nobody answers on the bus, or there is no bus: the window alone announces,
// and snoozing from it still works.
TEST_F(DesktopFixture, WithoutAServiceOrABusTheWindowWorksAsBefore) {
    TDBusNotifier noBus(QDBusConnection::connectToBus(
        QStringLiteral("unix:path=/nonexistent/vornel-bus"), QStringLiteral("vornel-no-bus")));
    QList<TDBusNotifier*> notifiers{&noBus};
    std::unique_ptr<TDBusNotifier> onBus;
    if (QDBusConnection::sessionBus().isConnected()) {
        ASSERT_FALSE(QDBusConnection::sessionBus().interface()->isServiceRegistered(
            TDBusNotifier::ServiceName));
        onBus = std::make_unique<TDBusNotifier>();
        notifiers << onBus.get();
    }
    for (TDBusNotifier* desktop : notifiers) {
        auto form = Open(*desktop, {Dentist(), EventRecord("Call", At(2026, 12, 9, 15, 1))});
        WaitFor([] { return false; }, 200);  // let a refusal arrive
        form->findChild<QTreeWidget*>("listView_Events")->clearSelection();
        form->findChild<QPushButton*>("btnSnooze")->click();  // none selected: all
        EXPECT_EQ(form->Snoozed().size(), 2);
        EXPECT_SAME_TIME(form->Snoozed().value(1), At(2026, 12, 9, 15, 16));
        EXPECT_EQ(form->result(), QDialog::Accepted);  // nothing left to show
    }
}

#include "DesktopNotificationsTest.moc"
